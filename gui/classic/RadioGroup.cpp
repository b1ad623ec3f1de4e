#include "gui/classic/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace mt1d::gui {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), buttons_(new QButtonGroup(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 2, 4, 2);
    layout->setSpacing(0);
    for (int index = 0; index < items.size(); ++index) {
        auto* button = new QRadioButton(items[index], this);
        buttons_->addButton(button, index);
        layout->addWidget(button);
    }
    SetItemIndex(0);
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) {
            emit Click();
        }
    });
}

int RadioGroup::ItemIndex() const
{
    return buttons_->checkedId();
}

void RadioGroup::SetItemIndex(int index)
{
    buttons_->button(index)->setChecked(true);
}

QRadioButton* RadioGroup::Item(int index) const
{
    return qobject_cast<QRadioButton*>(buttons_->button(index));
}

}  // namespace mt1d::gui
