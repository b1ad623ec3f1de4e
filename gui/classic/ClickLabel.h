#pragma once
// A text label that reports a left click.

#include <QLabel>

namespace mt1d::gui {

class ClickLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace mt1d::gui
