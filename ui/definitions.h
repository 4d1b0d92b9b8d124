// Window definitions as data: what a window holds when it is created.
#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace ui {

enum class ControlType { TextBox, Label, CommandButton };

// Positions and sizes in twips (1/1440 inch) from the client area's top-left corner.
struct Twips {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ControlDefinition {
    QString name;
    ControlType type = ControlType::Label;
    QString text; // caption of labels and buttons, text of text boxes
    Twips geometry;
    int tabIndex = 0;
    bool visible = true;
    bool multiLine = false;
};

enum class StartPosition { CenterScreen, CenterOwner };

struct FormDefinition {
    QString name;
    QString caption;
    int clientWidth = 0; // twips
    int clientHeight = 0;
    StartPosition startPosition = StartPosition::CenterScreen;
    bool appIcon = false;
    std::vector<ControlDefinition> controls; // in creation order

    const ControlDefinition* control(QStringView controlName) const;
};

// The three windows of the program.
FormDefinition mainWindowDefinition();    // Form1
FormDefinition bearingWindowDefinition(); // Form2
FormDefinition logWindowDefinition();     // Form3
std::vector<FormDefinition> programDefinitions();

} // namespace ui
