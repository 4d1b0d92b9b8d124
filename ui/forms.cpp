#include "forms.h"

#include <QtGlobal>
#include <algorithm>

namespace ui {

// ---- Control ---------------------------------------------------------------------------

Control::Control(Form& form, const ControlDefinition& definition)
    : form_(form), definition_(definition), visible_(definition.visible) {}

void Control::setVisible(bool visible) {
    if (visible_ == visible)
        return;
    visible_ = visible;
    changed(Property::Visible);
}

void Control::changed(Property property) {
    if (form_.loaded())
        form_.forms().notifyControl(*this, property);
}

void Control::fire(const Handler& handler) {
    if (handler)
        form_.forms().dispatch(handler);
}

TextBox::TextBox(Form& form, const ControlDefinition& definition)
    : Control(form, definition), text_(definition.text) {}

const QString& TextBox::text() const {
    if (latin1_) {
        text_ = QString::fromLatin1(*latin1_);
        latin1_.reset();
    }
    return text_;
}

void TextBox::setText(const QString& text) {
    if (latin1_ ? text == QLatin1String(*latin1_) : text == text_)
        return;
    latin1_.reset();
    text_ = text;
    replaced();
}

void TextBox::setLatin1Text(const QByteArray& bytes) {
    if (latin1_ ? bytes == *latin1_ : text_ == QLatin1String(bytes))
        return;
    text_.clear();
    latin1_ = bytes;
    replaced();
}

void TextBox::replaced() {
    // The caret stays where it was unless the new text is shorter.
    selStart_ = std::min<int>(selStart_, int(length()));
    changed(Property::Text);
    fire(change_);
}

void TextBox::setSelStart(int position) {
    // Always reported: the widget's caret may have moved since the model last set it.
    selStart_ = std::clamp<int>(position, 0, int(length()));
    changed(Property::SelStart);
}

Label::Label(Form& form, const ControlDefinition& definition)
    : Control(form, definition), caption_(definition.text) {}

void Label::setCaption(const QString& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    changed(Property::Caption);
}

void Label::setToolTip(const QString& toolTip) {
    if (toolTip == toolTip_)
        return;
    toolTip_ = toolTip;
    changed(Property::ToolTip);
}

CommandButton::CommandButton(Form& form, const ControlDefinition& definition)
    : Control(form, definition), caption_(definition.text) {}

void CommandButton::setValue(bool value) {
    if (value)
        fire(click_);
}

// ---- Form ------------------------------------------------------------------------------

Form::Form(Forms& forms, const FormDefinition& definition)
    : forms_(forms), definition_(definition), caption_(definition.caption) {
    controls_.reserve(definition.controls.size());
    for (const auto& c : definition.controls) {
        switch (c.type) {
        case ControlType::TextBox:
            controls_.push_back(std::make_unique<TextBox>(*this, c));
            break;
        case ControlType::Label:
            controls_.push_back(std::make_unique<Label>(*this, c));
            break;
        case ControlType::CommandButton:
            controls_.push_back(std::make_unique<CommandButton>(*this, c));
            break;
        }
    }
}

void Form::setCaption(const QString& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    changed(Property::Caption);
}

void Form::show() {
    if (visible_)
        return;
    visible_ = true;
    changed(Property::Visible);
}

void Form::hide() {
    if (!visible_)
        return;
    visible_ = false;
    changed(Property::Visible);
}

void Form::changed(Property property) {
    if (loaded_)
        forms_.notifyForm(*this, property);
}

Control& Form::control(QStringView name) const {
    for (const auto& c : controls_)
        if (c->name() == name)
            return *c;
    qFatal("%s has no control %s", qPrintable(this->name()), qPrintable(name.toString()));
}

template <class T> static T& typed(Control& control, ControlType expected) {
    if (control.type() != expected)
        qFatal("%s.%s has another type", qPrintable(control.form().name()),
               qPrintable(control.name()));
    return static_cast<T&>(control);
}

TextBox& Form::textBox(QStringView name) const {
    return typed<TextBox>(control(name), ControlType::TextBox);
}

Label& Form::label(QStringView name) const {
    return typed<Label>(control(name), ControlType::Label);
}

CommandButton& Form::button(QStringView name) const {
    return typed<CommandButton>(control(name), ControlType::CommandButton);
}

void Form::requestClose() {
    if (close_)
        forms_.dispatch(close_);
    else
        forms_.unload(name());
}

// ---- Forms -----------------------------------------------------------------------------

Forms::Forms(std::vector<FormDefinition> definitions, Dialogs& dialogs)
    : definitions_(std::move(definitions)), dialogs_(dialogs) {}

Forms::~Forms() {
    // Handlers may hold references into the windows; drop the windows first.
    loaded_.clear();
    unloadedDuringEvent_.clear();
}

void Forms::setBinder(QStringView formName, Binder binder) {
    binders_.emplace_back(formName.toString(), std::move(binder));
}

const FormDefinition* Forms::definition(QStringView name) const {
    for (const auto& d : definitions_)
        if (d.name == name)
            return &d;
    return nullptr;
}

Form* Forms::find(QStringView name) const {
    for (const auto& f : loaded_)
        if (f->name() == name)
            return f.get();
    return nullptr;
}

Form& Forms::form(QStringView name) {
    if (Form* existing = find(name))
        return *existing;
    const FormDefinition* def = definition(name);
    if (!def)
        qFatal("no window %s", qPrintable(name.toString()));
    loaded_.push_back(std::make_unique<Form>(*this, *def));
    Form& created = *loaded_.back();
    ended_ = false;
    for (const auto& [formName, binder] : binders_)
        if (formName == name)
            binder(created);
    if (created.load_)
        dispatch(created.load_);
    return created;
}

void Forms::unload(QStringView name) {
    const auto it = std::find_if(loaded_.begin(), loaded_.end(),
                                 [&](const auto& f) { return f->name() == name; });
    if (it == loaded_.end())
        return;
    std::unique_ptr<Form> gone = std::move(*it);
    loaded_.erase(it);
    if (observer_)
        observer_->formUnloaded(*gone);
    gone->loaded_ = false;
    // A handler of this very window may still be running: keep it alive until the event ends.
    if (eventDepth_ > 0)
        unloadedDuringEvent_.push_back(std::move(gone));
    if (loaded_.empty()) {
        ended_ = true;
        if (observer_)
            observer_->programEnded();
    }
}

QString Forms::inputBox(const QString& prompt, const QString& title, const QString& defaultText,
                        QPoint topLeftTwips) {
    eventBoundary();
    return dialogs_.inputBox(prompt, title, defaultText, topLeftTwips);
}

void Forms::messageBox(const QString& text) {
    eventBoundary();
    dialogs_.messageBox(text);
}

void Forms::dispatch(const Handler& handler) {
    ++eventDepth_;
    struct Leave {
        Forms& forms;
        ~Leave() {
            if (--forms.eventDepth_ == 0) {
                forms.unloadedDuringEvent_.clear();
                forms.eventBoundary();
            }
        }
    } leave{*this};
    // A copy, so that a handler may replace itself (or its window may go) while it runs.
    const Handler running = handler;
    running();
}

void Forms::eventBoundary() {
    for (const auto& listener : boundaryListeners_)
        listener();
}

void Forms::notifyForm(Form& form, Property property) {
    if (observer_)
        observer_->formChanged(form, property);
}

void Forms::notifyControl(Control& control, Property property) {
    if (observer_)
        observer_->controlChanged(control, property);
}

} // namespace ui
