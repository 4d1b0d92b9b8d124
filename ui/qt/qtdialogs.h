// Real modal dialogs for ui::Dialogs.
#pragma once

#include "ui/dialogs.h"

namespace ui::qt {

class QtDialogs final : public ui::Dialogs {
public:
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText,
                     QPoint topLeftTwips) override;
    void messageBox(const QString& text) override;
};

} // namespace ui::qt
