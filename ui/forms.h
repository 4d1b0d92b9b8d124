// The window and control model every handler works on. It links QtCore only, so all
// behaviour can be tested without a display; ui/qt mirrors it in real widgets.
//
// Semantics the handlers rely on:
//  - setting a text box's text to a different text runs its Change handler at once, nested;
//  - setValue(true) on a button runs its Click handler at once, even in a hidden window;
//  - Forms::form() creates a window on first reference and runs its Load handler before
//    returning;
//  - unloading a window from inside one of its own handlers is safe: the window object lives
//    on until the outermost event has finished.
#pragma once

#include "definitions.h"
#include "dialogs.h"

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ui {

class Form;
class Forms;

using Handler = std::function<void()>;

enum class Property { Text, Caption, Visible, SelStart, ToolTip };

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    const ControlDefinition& definition() const { return definition_; }
    const QString& name() const { return definition_.name; }
    ControlType type() const { return definition_.type; }
    Form& form() const { return form_; }

    bool visible() const { return visible_; }
    void setVisible(bool visible);

protected:
    Control(Form& form, const ControlDefinition& definition);
    void changed(Property property);
    void fire(const Handler& handler);

private:
    Form& form_;
    const ControlDefinition& definition_;
    bool visible_;
};

class TextBox final : public Control {
public:
    TextBox(Form& form, const ControlDefinition& definition);

    const QString& text() const;
    // Runs the Change handler, nested, when the text differs from the current one.
    void setText(const QString& text);
    // The same as setText(QString::fromLatin1(bytes)), but the text is made only when it is
    // read: a hidden box that holds a whole database for a handler need never widen it.
    void setLatin1Text(const QByteArray& bytes);
    int selStart() const { return selStart_; }
    void setSelStart(int position);
    bool multiLine() const { return definition().multiLine; }

    void onChange(Handler handler) { change_ = std::move(handler); }

private:
    qsizetype length() const { return latin1_ ? latin1_->size() : text_.size(); }
    void replaced();

    mutable QString text_;
    mutable std::optional<QByteArray> latin1_; // the text, until text() widens it
    int selStart_ = 0;
    Handler change_;
};

class Label final : public Control {
public:
    Label(Form& form, const ControlDefinition& definition);

    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption);
    // Shown when the pointer rests on the label.
    const QString& toolTip() const { return toolTip_; }
    void setToolTip(const QString& toolTip);

private:
    QString caption_;
    QString toolTip_;
};

class CommandButton final : public Control {
public:
    CommandButton(Form& form, const ControlDefinition& definition);

    const QString& caption() const { return caption_; }
    // true runs the Click handler at once, as a click would; false does nothing.
    void setValue(bool value);
    void click() { setValue(true); }

    void onClick(Handler handler) { click_ = std::move(handler); }

private:
    QString caption_;
    Handler click_;
};

class Form {
public:
    Form(Forms& forms, const FormDefinition& definition);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const FormDefinition& definition() const { return definition_; }
    const QString& name() const { return definition_.name; }
    Forms& forms() const { return forms_; }
    // False once the window has been unloaded; its object may still be alive briefly.
    bool loaded() const { return loaded_; }

    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption);
    bool visible() const { return visible_; }
    void show();
    void hide();

    // Controls by their definition names; asking for a missing one is a programming error.
    Control& control(QStringView name) const;
    TextBox& textBox(QStringView name) const;
    Label& label(QStringView name) const;
    CommandButton& button(QStringView name) const;
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

    void onLoad(Handler handler) { load_ = std::move(handler); }
    // What closing the window by its title bar does; without a handler it unloads the window.
    void onClose(Handler handler) { close_ = std::move(handler); }
    void requestClose();

private:
    friend class Forms;
    void changed(Property property);

    Forms& forms_;
    const FormDefinition& definition_;
    QString caption_;
    bool visible_ = false;
    bool loaded_ = true;
    std::vector<std::unique_ptr<Control>> controls_;
    Handler load_;
    Handler close_;
};

// What the view needs to hear about. Notifications never come from unloaded windows.
class FormsObserver {
public:
    virtual ~FormsObserver() = default;
    virtual void formChanged(Form& form, Property property) = 0; // Caption or Visible
    virtual void controlChanged(Control& control, Property property) = 0;
    virtual void formUnloaded(Form& form) = 0;
    virtual void programEnded() = 0;
};

// The windows of one running program. No globals: a test may run many programs at once.
class Forms {
public:
    // Attaches a window's event handlers to a newly created instance, before Load runs.
    using Binder = std::function<void(Form&)>;

    Forms(std::vector<FormDefinition> definitions, Dialogs& dialogs);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    void setBinder(QStringView formName, Binder binder);
    void setObserver(FormsObserver* observer) { observer_ = observer; }

    // The loaded window, created and loaded first if needed.
    Form& form(QStringView name);
    // The loaded window or nullptr; never creates one.
    Form* find(QStringView name) const;
    bool isLoaded(QStringView name) const { return find(name) != nullptr; }
    // Unloading a window that is not loaded does nothing.
    void unload(QStringView name);
    // True once windows were loaded and all of them have been unloaded again.
    bool ended() const { return ended_; }
    // True while a handler runs, a modal box it opened included.
    bool inEvent() const { return eventDepth_ > 0; }

    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText,
                     QPoint topLeftTwips);
    void messageBox(const QString& text);

    // Runs one event handler; handlers run by other handlers nest inside the outer event.
    void dispatch(const Handler& handler);
    // Called whenever control leaves the program for a while (the outermost event ends, or a
    // modal dialog opens), after which files on disk may have changed.
    void onEventBoundary(Handler listener) { boundaryListeners_.push_back(std::move(listener)); }

private:
    friend class Form;
    friend class Control;
    void notifyForm(Form& form, Property property);
    void notifyControl(Control& control, Property property);
    void eventBoundary();
    const FormDefinition* definition(QStringView name) const;

    std::vector<FormDefinition> definitions_;
    Dialogs& dialogs_;
    std::vector<std::pair<QString, Binder>> binders_;
    std::vector<std::unique_ptr<Form>> loaded_;
    std::vector<std::unique_ptr<Form>> unloadedDuringEvent_;
    std::vector<Handler> boundaryListeners_;
    FormsObserver* observer_ = nullptr;
    int eventDepth_ = 0;
    bool ended_ = false;
};

} // namespace ui
