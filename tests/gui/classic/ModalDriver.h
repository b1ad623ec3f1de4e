#pragma once
// Answers the modal windows that appear while a test drives the program, so that no test
// ever waits for a person. Each expected window is handled, in order, by its action (which
// must close it, by queued clicks); a window nobody expected is noted as a problem and
// closed. A window that becomes the active modal one again (a dialog after its message
// box) counts as a new appearance.

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace mt1d::test {

struct SeenMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    bool okButton = false;  // its one button is the OK button
};

class ModalDriver : public QObject {
    Q_OBJECT

public:
    using Action = std::function<void(QWidget* modal)>;

    ModalDriver();

    // The next modal window to appear is handled by `action`.
    void Expect(const QString& what, Action action);
    // The next modal window is a `Window`, handled by `action`.
    template <typename Window>
    void ExpectWindow(const QString& what, std::function<void(Window*)> action)
    {
        Expect(what, [this, what, action](QWidget* modal) {
            if (auto* window = qobject_cast<Window*>(modal)) {
                action(window);
                return;
            }
            problems_ << QStringLiteral("expected %1, got %2").arg(what, Describe(modal));
            CloseLater(modal);
        });
    }
    // The next modal window is a message box: note it and press its button.
    void ExpectMessage();

    const QList<SeenMessage>& Messages() const { return messages_; }
    // Unexpected windows, windows of the wrong kind, expectations never met.
    QStringList Problems() const;

    // Queued helpers for actions: they run once the action has returned to the event loop.
    static void ClickLater(QAbstractButton* button);
    static void CloseLater(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Poll();
    static QString Describe(QWidget* window);

    QTimer poll_;
    QPointer<QWidget> current_;
    QList<QPair<QString, Action>> expected_;
    QList<SeenMessage> messages_;
    QStringList problems_;
};

}  // namespace mt1d::test
