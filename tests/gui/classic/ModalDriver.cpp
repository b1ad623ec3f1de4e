#include "tests/gui/classic/ModalDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEvent>

namespace mt1d::test {

namespace {

constexpr int kPollMs = 10;

}  // namespace

QString ModalDriver::Describe(QWidget* window)
{
    QString description = QStringLiteral("%1 \"%2\"")
                              .arg(QLatin1String(window->metaObject()->className()),
                                   window->windowTitle());
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        description += QStringLiteral(": ") + box->text();
    }
    return description;
}

ModalDriver::ModalDriver()
{
    connect(&poll_, &QTimer::timeout, this, &ModalDriver::Poll);
    poll_.start(kPollMs);
}

void ModalDriver::Expect(const QString& what, Action action)
{
    expected_.append({what, std::move(action)});
}

void ModalDriver::ExpectMessage()
{
    ExpectWindow<QMessageBox>(QStringLiteral("message box"), [this](QMessageBox* box) {
        const QList<QAbstractButton*> buttons = box->buttons();
        messages_.append({box->windowTitle(), box->text(), box->icon(),
                          static_cast<int>(buttons.size()),
                          buttons.size() == 1 && box->standardButton(buttons[0]) == QMessageBox::Ok});
        CloseLater(box);
    });
}

QStringList ModalDriver::Problems() const
{
    QStringList problems = problems_;
    for (const auto& expected : expected_) {
        problems << QStringLiteral("never appeared: ") + expected.first;
    }
    return problems;
}

void ModalDriver::ClickLater(QAbstractButton* button)
{
    QTimer::singleShot(0, button, &QAbstractButton::click);
}

void ModalDriver::CloseLater(QWidget* window)
{
    if (auto* box = qobject_cast<QMessageBox*>(window); box && !box->buttons().isEmpty()) {
        ClickLater(box->buttons().first());
    } else if (auto* dialog = qobject_cast<QDialog*>(window)) {
        QTimer::singleShot(0, dialog, &QDialog::reject);
    } else {
        QTimer::singleShot(0, window, &QWidget::close);
    }
}

bool ModalDriver::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide) {
        watched->removeEventFilter(this);
        if (watched == current_) {
            current_ = nullptr;
        }
    }
    return false;
}

void ModalDriver::Poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == current_) {
        return;
    }
    current_ = modal;
    if (modal == nullptr) {
        return;
    }
    // A window shown again (the About box is reused) is a new appearance.
    modal->installEventFilter(this);
    if (expected_.isEmpty()) {
        problems_ << QStringLiteral("unexpected ") + Describe(modal);
        CloseLater(modal);
        return;
    }
    const auto [what, action] = expected_.takeFirst();
    action(modal);
}

}  // namespace mt1d::test
