#pragma once

#include <QComboBox>

#include <functional>

// An editable drop-down box that fills its list just before it opens, as
// the name boxes beside the main screen's code fields do.
class DropDownBox : public QComboBox
{
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    std::function<void()> onDropDown;

    void showPopup() override
    {
        if (onDropDown)
            onDropDown();
        QComboBox::showPopup();
    }
};
