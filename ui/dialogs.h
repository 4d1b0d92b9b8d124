// Modal dialogs the handlers use. The Qt view shows real ones; tests script them.
#pragma once

#include <QPoint>
#include <QString>

namespace ui {

// Title of every message box.
inline constexpr char16_t kApplicationTitle[] = u"Norvane";

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Returns the edited text, or the empty text when cancelled. The top-left corner is
    // given in twips from the screen's top-left corner.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText, QPoint topLeftTwips) = 0;
    // One OK button, titled kApplicationTitle.
    virtual void messageBox(const QString& text) = 0;
};

} // namespace ui
