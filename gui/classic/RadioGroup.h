#pragma once
// A titled group of radio buttons with one selected item, addressed by index.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace mt1d::gui {

class RadioGroup : public QGroupBox {
    Q_OBJECT

public:
    // Item 0 starts selected.
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const;

signals:
    // Another item has become the selected one.
    void Click();

private:
    QButtonGroup* buttons_;
};

}  // namespace mt1d::gui
