// Shows the windows of a ui::Forms model as real Qt widgets and hands the operator's
// actions back to the model. No behaviour lives here: every rule is in the handlers.
#pragma once

#include "ui/forms.h"

#include <QIcon>
#include <QKeySequence>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ui::qt {

// 15 twips make one pixel at 96 dpi.
constexpr int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

// Multi-line boxes keep CR LF in the model whatever the platform's clipboard used.
QString modelTextFromWidget(const QString& widgetText);
QString widgetTextFromModel(QStringView modelText);

class FormsView final : public ui::FormsObserver {
public:
    FormsView(ui::Forms& forms, QIcon appIcon, std::function<void()> onProgramEnded);
    ~FormsView() override;
    FormsView(const FormsView&) = delete;
    FormsView& operator=(const FormsView&) = delete;

    // The top-level widget of a window that has been shown, or nullptr.
    QWidget* window(QStringView formName) const;

    // Files dropped on a multi-line box, or chosen with "Open log file…" in its context menu
    // or Ctrl+O in its window, go into it as if their text had been pasted. `read` gives that
    // text with CR LF line breaks, or nothing when a file could not be read (it says why).
    using FileReader = std::function<std::optional<QString>(const QStringList& paths)>;
    void acceptFiles(QStringView formName, QStringView controlName, FileReader read);

    // An entry of a window's context menu (a right-click on its background or its labels),
    // with a shortcut that works anywhere in the window while the entry is shown and enabled.
    // Its text, and whether it is shown and enabled, are asked afresh every time.
    struct MenuAction {
        std::function<QString()> text;
        QKeySequence shortcut;         // none: from the menu only
        std::function<bool()> shown;   // null: always
        std::function<bool()> enabled; // null: always
        std::function<void()> run;     // runs as one event of the window
    };
    void addMenuAction(QStringView formName, MenuAction action);
    // An entry of the context menu of a box that takes files (acceptFiles), after "Open log
    // file…", with a shortcut that works anywhere in its window. Always shown and enabled;
    // its text is asked when the box is made.
    void addBoxAction(QStringView formName, QStringView controlName, MenuAction action);

private:
    struct Window;
    struct Item;

    void formChanged(ui::Form& form, ui::Property property) override;
    void controlChanged(ui::Control& control, ui::Property property) override;
    void formUnloaded(ui::Form& form) override;
    void programEnded() override;

    Window* find(const ui::Form& form) const;
    Window& windowFor(ui::Form& form);
    void createItem(const std::shared_ptr<Window>& window, ui::Control& control);
    void syncText(Item& item);
    void installMenu(Window& window);
    void addShortcut(Window& window, const std::shared_ptr<const MenuAction>& action);

    ui::Forms& forms_;
    QIcon appIcon_;
    std::function<void()> onProgramEnded_;
    std::vector<std::shared_ptr<Window>> windows_;
    struct FileTarget {
        QString form;
        QString control;
        FileReader read;
    };
    std::vector<FileTarget> fileTargets_;
    std::vector<std::pair<QString, std::shared_ptr<const MenuAction>>> menuActions_; // by form
    struct BoxAction {
        QString form;
        QString control;
        std::shared_ptr<const MenuAction> action;
    };
    std::vector<BoxAction> boxActions_;
};

} // namespace ui::qt
