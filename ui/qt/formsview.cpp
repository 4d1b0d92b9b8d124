#include "formsview.h"

#include "ui/text.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTextCursor>
#include <QUrl>
#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ui::qt {

QString modelTextFromWidget(const QString& widgetText) {
    QString text = widgetText;
    return ui::crLfLineBreaks(text.replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
}

// One pass: QString::replace moves the rest of the text at every line break, which a list of
// a million lines cannot afford.
QString widgetTextFromModel(QStringView modelText) {
    QString text(modelText.size(), Qt::Uninitialized);
    QChar* out = text.data();
    const QChar* const end = modelText.end();
    for (const QChar* at = modelText.begin(); at != end; ++at)
        if (!(*at == u'\r' && at + 1 != end && at[1] == u'\n'))
            *out++ = *at;
    text.truncate(out - text.constData());
    return text;
}

namespace {

// A list of a million lines would take the widget a noticeable time to build and lay out on
// every keystroke: a long one is shown as far as its box shows it, and further as the
// operator scrolls to its end; the rest is summed up in a last line. Only the lines shown are
// converted; the others are only counted. Up to this many lines, a text is shown whole: a
// contest log pasted into the log window stays whole and editable.
constexpr qsizetype kShownWholeUpTo = 2000;

// Line feeds in a text: a million-line list is counted at every keystroke.
qsizetype countLineFeeds(QStringView text) {
    const char16_t* at = text.utf16();
    const char16_t* const end = at + text.size();
    qsizetype count = 0;
#ifdef __SSE2__
    // Every match subtracts -1 from its lane, 32,767 blocks at most before the lanes are added.
    const __m128i lf = _mm_set1_epi16('\n');
    while (end - at >= 8) {
        __m128i lanes = _mm_setzero_si128();
        for (int blocks = 0; blocks < 32767 && end - at >= 8; ++blocks, at += 8) {
            const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            lanes = _mm_sub_epi16(lanes, _mm_cmpeq_epi16(chars, lf));
        }
        alignas(16) quint16 sums[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(sums), lanes);
        for (const quint16 sum : sums)
            count += sum;
    }
#endif
    return count + std::count(at, end, u'\n');
}

// The lines a box shows at once, and the one it shows in part.
qsizetype screenful(const QPlainTextEdit& edit) {
    return edit.viewport()->height() / std::max(1, edit.fontMetrics().lineSpacing()) + 1;
}

// Shows the model's text; of a longer list, the first `shown` lines (a screenful at least)
// and a summary of the rest. Gives the lines shown, or 0 when the text is shown whole.
qsizetype showInPlainTextEdit(QPlainTextEdit& edit, const QString& modelText, qsizetype shown) {
    shown = std::max(shown, screenful(edit));
    // CR LF becomes LF for the widget, so a line feed ends the same line in both texts.
    const qsizetype enough = std::max(kShownWholeUpTo, shown);
    qsizetype cut = -1;
    qsizetype lines = 0;
    for (qsizetype at = modelText.indexOf(u'\n'); at >= 0 && lines <= enough;
         at = modelText.indexOf(u'\n', at + 1))
        if (++lines == shown)
            cut = at;
    if (lines > kShownWholeUpTo && cut >= 0)
        lines = shown + countLineFeeds(QStringView(modelText).sliced(cut + 1));
    if (lines <= kShownWholeUpTo || lines <= shown) {
        edit.setReadOnly(false);
        edit.setPlainText(widgetTextFromModel(modelText));
        return 0;
    }
    // The operator's edits go to the model, which must not receive the summary: read only.
    edit.setReadOnly(true);
    edit.setPlainText(widgetTextFromModel(QStringView(modelText).first(cut + 1)) +
                      QStringLiteral("\u2026 %1 more lines").arg(lines - shown));
    return shown;
}

// The local files a drag carries; none for dragged text, which the box takes as it always has.
QStringList localFiles(const QMimeData* mime) {
    QStringList paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    return paths;
}

// A paste box that takes files: their text goes in where they are dropped, as if pasted.
class FileDropEdit final : public QPlainTextEdit {
public:
    // The box's own entries, each run as one event of the window.
    struct Entry {
        QString text;
        QKeySequence shortcut;
        std::function<void()> run;
    };

    FileDropEdit(QWidget* parent, FormsView::FileReader read, std::vector<Entry> entries)
        : QPlainTextEdit(parent), read_(std::move(read)), entries_(std::move(entries)) {
        // Ctrl+O anywhere in the window, as the menus of desktop programs have it.
        auto* open = new QShortcut(QKeySequence::Open, parent);
        QObject::connect(open, &QShortcut::activated, this, [this] { openFiles(); });
        for (const Entry& entry : entries_)
            if (!entry.shortcut.isEmpty())
                QObject::connect(new QShortcut(entry.shortcut, parent), &QShortcut::activated, this,
                                 entry.run);
    }

    void openFiles() {
        const QStringList paths = QFileDialog::getOpenFileNames(
            this, QStringLiteral("Open log file"), QString(),
            QStringLiteral("Contest logs (*.edi *.EDI *.txt *.adi *.ADI *.adif *.adx *.cbr "
                           "*.log);;All files (*)"));
        setFocus(Qt::OtherFocusReason);
        insertFiles(paths);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (localFiles(event->mimeData()).isEmpty())
            QPlainTextEdit::dragEnterEvent(event);
        else
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        if (localFiles(event->mimeData()).isEmpty())
            QPlainTextEdit::dragMoveEvent(event);
        else
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override {
        const QStringList paths = localFiles(event->mimeData());
        if (paths.isEmpty())
            return QPlainTextEdit::dropEvent(event);
        event->acceptProposedAction();
        setTextCursor(cursorForPosition(event->position().toPoint()));
        insertFiles(paths);
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
        menu->addSeparator();
        QObject::connect(menu->addAction(QStringLiteral("Open log file\u2026")),
                         &QAction::triggered, this, [this] { openFiles(); });
        for (const Entry& entry : entries_) {
            QAction* action = menu->addAction(entry.text);
            action->setShortcut(entry.shortcut);
            QObject::connect(action, &QAction::triggered, this, entry.run);
        }
        menu->exec(event->globalPos());
    }

private:
    void insertFiles(const QStringList& paths) {
        if (paths.isEmpty())
            return;
        if (const std::optional<QString> text = read_(paths))
            insertPlainText(widgetTextFromModel(*text));
    }

    FormsView::FileReader read_;
    std::vector<Entry> entries_;
};

// Closing by the title bar goes to the model, which decides what it means.
class FormWidget final : public QWidget {
public:
    explicit FormWidget(ui::Form* form) : form_(form) {}
    void detach() {
        form_ = nullptr;
        menu_ = nullptr;
    }
    // Fills the context menu of the background and the labels; none without it.
    std::function<void(QMenu&)> menu_;

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        if (form_)
            form_->requestClose();
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        if (!menu_)
            return QWidget::contextMenuEvent(event);
        QMenu menu(this);
        menu_(menu);
        if (!menu.isEmpty())
            menu.exec(event->globalPos());
    }

private:
    ui::Form* form_;
};

} // namespace

struct FormsView::Item {
    ui::Control* control = nullptr;
    QWidget* widget = nullptr;
    QString syncedText;       // the model text the widget shows, to skip needless updates
    qsizetype shownLines = 0; // of a long list, the lines shown; 0: the whole text
};

struct FormsView::Window {
    ui::Form* form = nullptr;
    QPointer<FormWidget> widget;
    std::vector<Item> items;
    bool placed = false;
    bool updating = false; // the view is writing into a widget: do not echo to the model

    Item* item(const ui::Control& control) {
        for (auto& i : items)
            if (i.control == &control)
                return &i;
        return nullptr;
    }
};

FormsView::FormsView(ui::Forms& forms, QIcon appIcon, std::function<void()> onProgramEnded)
    : forms_(forms), appIcon_(std::move(appIcon)), onProgramEnded_(std::move(onProgramEnded)) {
    forms_.setObserver(this);
}

FormsView::~FormsView() {
    forms_.setObserver(nullptr);
    for (auto& w : windows_)
        delete w->widget.data();
}

QWidget* FormsView::window(QStringView formName) const {
    for (const auto& w : windows_)
        if (w->form && w->form->name() == formName)
            return w->widget;
    return nullptr;
}

void FormsView::acceptFiles(QStringView formName, QStringView controlName, FileReader read) {
    fileTargets_.push_back({formName.toString(), controlName.toString(), std::move(read)});
}

void FormsView::addBoxAction(QStringView formName, QStringView controlName, MenuAction action) {
    boxActions_.push_back({formName.toString(), controlName.toString(),
                           std::make_shared<const MenuAction>(std::move(action))});
}

void FormsView::addMenuAction(QStringView formName, MenuAction action) {
    auto entry = std::make_shared<const MenuAction>(std::move(action));
    menuActions_.emplace_back(formName.toString(), entry);
    for (const auto& w : windows_)
        if (w->form && w->form->name() == formName)
            addShortcut(*w, entry);
}

namespace {

bool yes(const std::function<bool()>& test) {
    return !test || test();
}

} // namespace

void FormsView::addShortcut(Window& w, const std::shared_ptr<const MenuAction>& action) {
    if (action->shortcut.isEmpty())
        return;
    auto* shortcut = new QShortcut(action->shortcut, w.widget);
    QObject::connect(shortcut, &QShortcut::activated, w.widget, [this, action] {
        if (yes(action->shown) && yes(action->enabled))
            forms_.dispatch(action->run); // as a click would
    });
}

void FormsView::installMenu(Window& w) {
    for (const auto& [form, action] : menuActions_)
        if (form == w.form->name())
            addShortcut(w, action);
    // The entries are those of the moment the menu opens.
    w.widget->menu_ = [this, name = w.form->name()](QMenu& menu) {
        for (const auto& [form, action] : menuActions_) {
            if (form != name || !yes(action->shown))
                continue;
            QAction* entry = menu.addAction(action->text());
            entry->setShortcut(action->shortcut);
            entry->setEnabled(yes(action->enabled));
            QObject::connect(entry, &QAction::triggered, &menu,
                             [this, chosen = action] { forms_.dispatch(chosen->run); });
        }
    };
}

FormsView::Window* FormsView::find(const ui::Form& form) const {
    for (const auto& w : windows_)
        if (w->form == &form)
            return w.get();
    return nullptr;
}

FormsView::Window& FormsView::windowFor(ui::Form& form) {
    if (Window* existing = find(form))
        return *existing;
    auto window = std::make_shared<Window>();
    window->form = &form;
    window->widget = new FormWidget(&form);
    FormWidget* widget = window->widget;
    const ui::FormDefinition& def = form.definition();
    widget->setObjectName(def.name);
    widget->setWindowTitle(form.caption());
    // The twips layout was drawn for an 8-point font; larger defaults would clip captions.
    QFont font = widget->font();
    font.setPointSizeF(8.0);
    widget->setFont(font);
    widget->resize(twipsToPixels(def.clientWidth), twipsToPixels(def.clientHeight));
    if (def.appIcon)
        widget->setWindowIcon(appIcon_);
    windows_.push_back(window);
    window->items.reserve(form.controls().size());
    for (const auto& control : form.controls())
        createItem(window, *control);

    // Keyboard focus follows the tab indexes; labels never take it.
    std::vector<Item*> focusable;
    for (auto& i : window->items)
        if (i.control->type() != ui::ControlType::Label)
            focusable.push_back(&i);
    std::sort(focusable.begin(), focusable.end(), [](const Item* a, const Item* b) {
        return a->control->definition().tabIndex < b->control->definition().tabIndex;
    });
    for (size_t k = 1; k < focusable.size(); ++k)
        QWidget::setTabOrder(focusable[k - 1]->widget, focusable[k]->widget);
    for (Item* i : focusable)
        if (i->control->visible()) {
            i->widget->setFocus(Qt::OtherFocusReason);
            break;
        }
    installMenu(*window);
    return *window;
}

// Connections hold the window record: a widget can outlive its model window briefly.
void FormsView::createItem(const std::shared_ptr<Window>& w, ui::Control& control) {
    const ui::ControlDefinition& def = control.definition();
    QWidget* parent = w->widget;
    QWidget* widget = nullptr;
    switch (control.type()) {
    case ui::ControlType::TextBox: {
        auto& box = static_cast<ui::TextBox&>(control);
        if (box.multiLine()) {
            const auto target =
                std::find_if(fileTargets_.begin(), fileTargets_.end(), [&](const FileTarget& t) {
                    return t.form == control.form().name() && t.control == control.name();
                });
            std::vector<FileDropEdit::Entry> entries;
            for (const BoxAction& box : boxActions_)
                if (box.form == control.form().name() && box.control == control.name())
                    entries.push_back(
                        {box.action->text(), box.action->shortcut,
                         [this, action = box.action] { forms_.dispatch(action->run); }});
            auto* edit = target == fileTargets_.end()
                             ? new QPlainTextEdit(parent)
                             : new FileDropEdit(parent, target->read, std::move(entries));
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setTabChangesFocus(true);
            QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [w, &box, edit] {
                if (w->updating || !w->form)
                    return;
                Item* item = w->item(box);
                item->syncedText = modelTextFromWidget(edit->toPlainText());
                box.setText(item->syncedText);
            });
            // Scrolled to the end of a list shown in part: twice as many lines.
            QObject::connect(edit->verticalScrollBar(), &QScrollBar::valueChanged, edit,
                             [w, &box, edit](int value) {
                                 Item* item = w->form ? w->item(box) : nullptr;
                                 if (!item || item->shownLines == 0 || w->updating ||
                                     value < edit->verticalScrollBar()->maximum())
                                     return;
                                 w->updating = true;
                                 item->shownLines =
                                     showInPlainTextEdit(*edit, box.text(), 2 * item->shownLines);
                                 edit->verticalScrollBar()->setValue(value);
                                 w->updating = false;
                             });
            widget = edit;
        } else {
            auto* edit = new QLineEdit(parent);
            QObject::connect(edit, &QLineEdit::textEdited, edit, [w, &box](const QString& text) {
                if (w->form)
                    box.setText(text);
            });
            widget = edit;
        }
        break;
    }
    case ui::ControlType::Label: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setText(static_cast<ui::Label&>(control).caption());
        label->setToolTip(static_cast<ui::Label&>(control).toolTip());
        widget = label;
        break;
    }
    case ui::ControlType::CommandButton: {
        auto& button = static_cast<ui::CommandButton&>(control);
        auto* push = new QPushButton(button.caption(), parent);
        push->setAutoDefault(false);
        QObject::connect(push, &QPushButton::clicked, push, [w, &button] {
            if (w->form)
                button.click();
        });
        widget = push;
        break;
    }
    }
    widget->setObjectName(def.name);
    widget->setGeometry(twipsToPixels(def.geometry.left), twipsToPixels(def.geometry.top),
                        twipsToPixels(def.geometry.width), twipsToPixels(def.geometry.height));
    widget->setVisible(control.visible());
    w->items.push_back(Item{&control, widget, {}, 0});
    syncText(w->items.back());
}

// Text goes into visible widgets only: hidden boxes can hold a whole database.
void FormsView::syncText(Item& item) {
    if (item.control->type() != ui::ControlType::TextBox || !item.control->visible())
        return;
    auto& box = static_cast<ui::TextBox&>(*item.control);
    if (item.syncedText == box.text())
        return; // the widget shows it already, typed there or set before
    Window* w = find(box.form());
    w->updating = true;
    if (auto* edit = qobject_cast<QLineEdit*>(item.widget)) {
        if (edit->text() != box.text())
            edit->setText(box.text());
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(item.widget)) {
        item.shownLines = showInPlainTextEdit(*edit, box.text(), 0);
    }
    w->updating = false;
    item.syncedText = box.text();
}

void FormsView::formChanged(ui::Form& form, ui::Property property) {
    Window* window = find(form);
    if (property == ui::Property::Caption) {
        if (window)
            window->widget->setWindowTitle(form.caption());
        return;
    }
    if (!form.visible()) {
        if (window)
            window->widget->hide();
        return;
    }
    Window& shown = windowFor(form);
    if (!shown.placed) {
        // Both shown windows start centred on the screen.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = shown.widget->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            shown.widget->move(frame.topLeft());
        }
        shown.placed = true;
    }
    shown.widget->show();
    shown.widget->raise();
    shown.widget->activateWindow();
}

void FormsView::controlChanged(ui::Control& control, ui::Property property) {
    Window* window = find(control.form());
    if (!window)
        return; // not shown yet: the widget reads the model when it is created
    Item* item = window->item(control);
    switch (property) {
    case ui::Property::Text:
        syncText(*item);
        break;
    case ui::Property::Caption:
        if (auto* label = qobject_cast<QLabel*>(item->widget))
            label->setText(static_cast<ui::Label&>(control).caption());
        break;
    case ui::Property::Visible:
        item->widget->setVisible(control.visible());
        syncText(*item);
        break;
    case ui::Property::ToolTip:
        item->widget->setToolTip(static_cast<ui::Label&>(control).toolTip());
        break;
    case ui::Property::SelStart: {
        const int position = static_cast<ui::TextBox&>(control).selStart();
        if (auto* edit = qobject_cast<QLineEdit*>(item->widget)) {
            edit->setCursorPosition(position);
        } else if (auto* edit = qobject_cast<QPlainTextEdit*>(item->widget)) {
            const QString before = static_cast<ui::TextBox&>(control).text().left(position);
            QTextCursor cursor = edit->textCursor();
            cursor.setPosition(int(widgetTextFromModel(before).size()));
            edit->setTextCursor(cursor);
        }
        break;
    }
    }
}

void FormsView::formUnloaded(ui::Form& form) {
    const auto it = std::find_if(windows_.begin(), windows_.end(),
                                 [&](const auto& w) { return w->form == &form; });
    if (it == windows_.end())
        return;
    // The widget may be inside one of its own signals right now: let Qt delete it later.
    (*it)->form = nullptr;
    if (FormWidget* widget = (*it)->widget) {
        widget->detach();
        widget->hide();
        widget->deleteLater();
    }
    windows_.erase(it);
}

void FormsView::programEnded() {
    if (onProgramEnded_)
        onProgramEnded_();
}

} // namespace ui::qt
