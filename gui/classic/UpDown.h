#pragma once
// A pair of arrow buttons attached to an edit box. An arrow moves the position one step
// within [minimum, maximum] without wrapping, shows it in the edit box and then reports a
// click. Typing in the edit box moves nothing; an arrow that cannot move reports nothing.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace mt1d::gui {

class UpDown : public QWidget {
    Q_OBJECT

public:
    UpDown(QLineEdit* associate, int minimum, int maximum, int position,
           QWidget* parent = nullptr);

    int Position() const { return position_; }
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }
    QToolButton* UpArrow() const { return up_; }
    QToolButton* DownArrow() const { return down_; }

signals:
    void Click(bool up);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Step(int delta);

    QLineEdit* associate_;
    int minimum_;
    int maximum_;
    int position_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace mt1d::gui
