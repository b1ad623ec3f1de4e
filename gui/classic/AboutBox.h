#pragma once
// The About box: product, version and date, contact lines and a link to the project's web
// page. Created hidden once and shown modally on demand.

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

namespace mt1d::gui {
class ClickLabel;
}

class TAbout : public QDialog {
    Q_OBJECT

public:
    static inline const QString kProjectUrl = QStringLiteral("https://example.org/mt1d");

    explicit TAbout(QWidget* parent = nullptr);

    // Opens a web address; by default the user's browser. The result is not examined.
    std::function<void(const QUrl&)> OpenUrl;

    QLabel* ProductName;
    QLabel* Version;
    QLabel* Date;
    mt1d::gui::ClickLabel* StaticText10;
    QPushButton* BitBtn1;

public slots:
    void StaticText10Click();
};
