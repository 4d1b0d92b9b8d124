#include "mapwindow.h"

#include "app/mapscene.h"
#include "map/projection.h"
#include "station/settings.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QSettings>
#include <QVBoxLayout>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace launcher {

using map::MapScene;

namespace {

constexpr double kDefaultRadiusKm = 2000;
constexpr double kPointerStep = 10; // pixels an arrow key moves the keyboard's pointer

} // namespace

class MapArea final : public QWidget {
public:
    MapArea(app::Program& program, app::Station& station, QLineEdit& status)
        : program_(program), station_(station), status_(status),
          world_(map::ReadEmbeddedWorldLines()), follower_(&program.db()) {
        setObjectName(QString::fromUtf16(kMapName));
        setAccessibleName(QString::fromUtf16(kMapName));
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setMinimumSize(200, 150);
        setAttribute(Qt::WA_OpaquePaintEvent); // every paint covers the whole area
        addActions();
    }

    double radius() const { return scene_.radiusKm; }
    void setRadius(double km) {
        scene_.radiusKm = km;
        update();
    }

    void refresh() {
        const app::MapFollower::Changed changed = follower_.follow(program_.forms());
        centre_ = follower_.centre();
        if (changed.centre && centre_) {
            background_ = map::MakeBackground(world_, *centre_);
            worldImage_ = QImage();
        }
        if (!centre_)
            status_.setText(u"No own locator: the map has no centre"_s);
        else if (!world_.error.isEmpty())
            status_.setText(world_.error);
        refreshStation();
    }

    void refreshStation() {
        scene_.antenna = station_.antenna();
        scene_.logged.reset();
        if (const auto& call = station_.lastLoggerCall()) {
            std::optional<bearing::Point> point = map::LocatorCentre(call->grid);
            const ui::Form* main = program_.forms().find(u"Form1");
            if (!point && main && main->textBox(u"Text2").text() == call->call.toUpper())
                point = map::LocatorCentre(main->textBox(u"Text1").text());
            if (point)
                scene_.logged = map::LoggedCall{call->call, *point};
        }
        update();
    }

    void paintTo(QPainter& painter, const QRectF& area) const {
        if (centre_)
            map::PaintMap(painter, area, background_, scene_);
        else
            painter.fillRect(area, Qt::lightGray);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (centre_) {
            // Only the lookup's layers are painted anew at every key.
            painter.drawImage(QPointF(0, 0), worldImage());
            map::PaintStations(painter, rect(), scene_);
        } else {
            paintTo(painter, rect());
        }
        if (keyboardPointer_) {
            painter.setPen(QPen(Qt::black, 1));
            painter.drawLine(pointer_ - QPointF(8, 0), pointer_ + QPointF(8, 0));
            painter.drawLine(pointer_ - QPointF(0, 8), pointer_ + QPointF(0, 8));
        }
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        keyboardPointer_ = false;
        pointTo(event->position());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            clickAt(event->position());
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            turnHere();
    }
    void wheelEvent(QWheelEvent* event) override {
        if (event->angleDelta().y() != 0)
            zoom(event->angleDelta().y() > 0 ? -1 : 1);
    }

    void keyPressEvent(QKeyEvent* event) override {
        const double step = event->modifiers() & Qt::ShiftModifier ? 1 : kPointerStep;
        switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            return zoom(-1);
        case Qt::Key_Minus:
            return zoom(1);
        case Qt::Key_Home:
            if (const std::optional<double> fit = map::FittingRadius(scene_.stations))
                setRadius(*fit);
            return;
        case Qt::Key_Left:
            return movePointer({-step, 0});
        case Qt::Key_Right:
            return movePointer({step, 0});
        case Qt::Key_Up:
            return movePointer({0, -step});
        case Qt::Key_Down:
            return movePointer({0, step});
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            return clickAt(pointer_);
        case Qt::Key_F10:
            if (event->modifiers() & Qt::ShiftModifier)
                return showMenu(mapToGlobal(pointer_.toPoint()));
            break;
        default:
            break;
        }
        QWidget::keyPressEvent(event);
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        if (event->reason() == QContextMenuEvent::Mouse)
            pointer_ = event->pos();
        showMenu(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                             : mapToGlobal(pointer_.toPoint()));
    }

    void resizeEvent(QResizeEvent*) override {
        if (!rect().contains(pointer_.toPoint()))
            pointer_ = rect().center();
    }

private:
    map::Frame frame() const { return map::Frame(rect(), scene_.radiusKm); }

    // The world, the grid and the rings as last painted, while nothing they show changed.
    const QImage& worldImage() {
        const WorldDrawn now{size(), devicePixelRatioF(), scene_.radiusKm, scene_.showBorders,
                             scene_.showGrid};
        if (worldImage_.isNull() || now != worldDrawn_) {
            worldImage_ = QImage(size() * now.pixelRatio, QImage::Format_RGB32);
            worldImage_.setDevicePixelRatio(now.pixelRatio);
            QPainter painter(&worldImage_);
            painter.setFont(font());
            map::PaintWorld(painter, rect(), background_, scene_);
            worldDrawn_ = now;
        }
        return worldImage_;
    }

    // The locator under `pixel` with its course, or none off the globe or without a centre.
    std::optional<QString> locatorAt(QPointF pixel) const {
        if (!centre_)
            return std::nullopt;
        const std::optional<bearing::Point> point = map::Unproject(*centre_, frame().toKm(pixel));
        if (!point)
            return std::nullopt;
        return map::LocatorOf(*point);
    }

    void pointTo(QPointF pixel) {
        pointer_ = pixel;
        const std::optional<QString> locator = locatorAt(pixel);
        if (!locator) {
            status_.setText(QString());
        } else {
            const bearing::BearingDistance course = map::CourseTo(*centre_, *locator);
            status_.setText(u"%1   QTF %2\u00b0   QRB %3 km"_s.arg(*locator)
                                .arg(course.bearing)
                                .arg(course.distance));
        }
        if (keyboardPointer_)
            update();
    }

    void movePointer(QPointF by) {
        keyboardPointer_ = true;
        const QPointF moved = pointer_ + by;
        pointTo({std::clamp(moved.x(), 0.0, double(width() - 1)),
                 std::clamp(moved.y(), 0.0, double(height() - 1))});
    }

    // As if typed: a station's call into the call field, any other point's locator into the
    // locator field. The fields' own handlers do the rest.
    void clickAt(QPointF pixel) {
        const map::MapStation* station = map::StationAt(scene_.stations, frame(), pixel);
        const std::optional<QString> locator = locatorAt(pixel);
        ui::Forms& forms = program_.forms();
        ui::Form* main = forms.find(u"Form1");
        if (!main)
            return;
        forms.dispatch([&] {
            if (station && !station->call.isEmpty())
                main->textBox(u"Text2").setText(station->call);
            else if (station)
                main->textBox(u"Text1").setText(station->locator);
            else if (locator)
                main->textBox(u"Text1").setText(*locator);
        });
    }

    void turnHere() {
        clickAt(pointer_);
        station_.turn(scene_.longPath);
    }

    void zoom(int steps) { setRadius(map::ZoomStep(scene_.radiusKm, steps)); }

    QAction* action(const QString& text, const QKeySequence& keys, std::function<void()> run) {
        auto* entry = new QAction(text, this);
        entry->setShortcut(keys);
        entry->setShortcutContext(Qt::WidgetShortcut); // the status line copies its own text
        connect(entry, &QAction::triggered, this, [run] { run(); });
        QWidget::addAction(entry);
        return entry;
    }

    // A check in the menu that shows or hides one part of the picture.
    void toggle(const QString& text, const QKeySequence& keys, bool MapScene::*shown) {
        QAction* entry = action(text, keys, [this, shown] {
            scene_.*shown = !(scene_.*shown);
            update();
        });
        entry->setCheckable(true);
        entry->setChecked(scene_.*shown);
    }

    void addActions() {
        turn_ = action(u"Turn antenna here"_s, {}, [this] { turnHere(); });
        toggle(u"Long path"_s, QKeySequence(u"Alt+L"_s), &MapScene::longPath);
        action(u"Copy locator"_s, QKeySequence::Copy, [this] {
            if (const std::optional<QString> locator = locatorAt(pointer_))
                QGuiApplication::clipboard()->setText(*locator);
        });
        toggle(u"Show borders"_s, QKeySequence(u"Ctrl+B"_s), &MapScene::showBorders);
        toggle(u"Show grid"_s, QKeySequence(u"Ctrl+G"_s), &MapScene::showGrid);
        action(u"Save as PNG\u2026"_s, QKeySequence::Save, [this] { saveAsPng(); });
    }

    void showMenu(const QPoint& at) {
        const std::optional<QString> locator = locatorAt(pointer_);
        turn_->setVisible(station_.rotatorSet());
        turn_->setEnabled(locator.has_value());
        turn_->setText(locator ? u"Turn antenna here (%1\u00b0)"_s.arg(
                                     map::CourseTo(*centre_, *locator).bearing)
                               : u"Turn antenna here"_s);
        QMenu menu(this);
        menu.addActions(QWidget::actions());
        menu.exec(at);
    }

    void saveAsPng() {
        const QString path = QFileDialog::getSaveFileName(this, u"Save map as PNG"_s, u"map.png"_s,
                                                          u"PNG (*.png)"_s);
        if (path.isEmpty())
            return;
        QImage image(size(), QImage::Format_RGB32);
        {
            QPainter painter(&image);
            paintTo(painter, image.rect());
        }
        if (!image.save(path, "PNG"))
            QMessageBox::warning(this, u"Norvane"_s, u"Cannot write "_s + path);
    }

    app::Program& program_;
    app::Station& station_;
    QLineEdit& status_;
    const map::WorldLines world_;
    std::optional<bearing::Point> centre_;
    app::MapFollower follower_;
    map::MapScene& scene_ = follower_.scene;
    map::Background background_;
    struct WorldDrawn {
        QSize size;
        qreal pixelRatio = 1;
        double radiusKm = 0;
        bool borders = false, grid = false;
        bool operator==(const WorldDrawn&) const = default;
    };
    WorldDrawn worldDrawn_;
    QImage worldImage_; // painted for worldDrawn_ and the present background_
    QPointF pointer_;
    bool keyboardPointer_ = false;
    QAction* turn_ = nullptr;
};

MapWindow::MapWindow(app::Program& program, app::Station& station, QString dataDirectory)
    : program_(program), dataDirectory_(std::move(dataDirectory)) {
    setObjectName(u"MapWindow"_s);
    status_ = new QLineEdit(this);
    status_->setReadOnly(true);
    status_->setFrame(false);
    status_->setObjectName(u"MapStatus"_s);
    status_->setAccessibleName(QString::fromUtf16(kMapStatusName));
    area_ = new MapArea(program, station, *status_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 4);
    column->addWidget(area_, 1);
    column->addWidget(status_);
    area_->setFocus(); // the keys go to the map as the window opens; Tab reaches the line

    // [map] in norvane.ini: what is out of range is ignored and named in the tooltip.
    QSettings ini(station::settingsPath(dataDirectory_), QSettings::IniFormat);
    ini.beginGroup(u"map"_s);
    const QString radiusText = ini.value(u"radius"_s).toString();
    bool number = false;
    const double radius = radiusText.toDouble(&number);
    area_->setRadius(number && radius >= map::kZoomSteps[0] && radius <= map::kRimKm + 1
                         ? radius
                         : kDefaultRadiusKm);
    if (!radiusText.isEmpty() && area_->radius() != radius)
        status_->setToolTip(
            u"norvane.ini: [map] radius %1 is not a number of km (100 to 19970); ignored"_s.arg(
                radiusText));
    if (!restoreGeometry(ini.value(u"geometry"_s).toByteArray()))
        resize(800, 640);
    refresh();
}

MapWindow::~MapWindow() {
    if (isVisible()) // the program ends with the window open
        saveSettings();
}

void MapWindow::refresh() {
    area_->refresh();
    if (const ui::Form* bearingWindow = program_.forms().find(u"Form2"))
        setWindowTitle(u"Norvane map - "_s + bearingWindow->textBox(u"Text3").text().toUpper());
}

void MapWindow::closeEvent(QCloseEvent* event) {
    saveSettings();
    event->accept();
}

void MapWindow::saveSettings() {
    QSettings ini(station::settingsPath(dataDirectory_), QSettings::IniFormat);
    ini.beginGroup(u"map"_s);
    ini.setValue(u"geometry"_s, saveGeometry());
    ini.setValue(u"radius"_s, QString::number(area_->radius(), 'f', 0));
}

MapMenu::MapMenu(ui::qt::FormsView& view, app::Program& program, app::Station& station,
                 const QString& dataDirectory)
    : station_(station) {
    view.addMenuAction(
        u"Form1", {[] { return u"Map"_s; }, QKeySequence(u"Ctrl+M"_s), nullptr, nullptr,
                   [window = window_, &program, &station, dataDirectory] {
                       if (!*window)
                           *window = std::make_unique<MapWindow>(program, station, dataDirectory);
                       (*window)->refresh();
                       (*window)->show();
                       (*window)->raise();
                       (*window)->activateWindow();
                   }});
    // The map follows every event of the windows and every word of the rotator.
    const auto refresh = [held = std::weak_ptr(window_)] {
        const auto window = held.lock();
        if (window && *window && (*window)->isVisible())
            (*window)->refresh();
    };
    program.forms().onEventBoundary(refresh);
    station.onChange(refresh);
}

MapMenu::~MapMenu() {
    station_.onChange({}); // the station may still report while it is taken down
}

} // namespace launcher
