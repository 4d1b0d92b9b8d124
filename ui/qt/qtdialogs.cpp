#include "qtdialogs.h"

#include "formsview.h"
#include "ui/text.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace ui::qt {

QString QtDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText,
                            QPoint topLeftTwips) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.move(twipsToPixels(topLeftTwips.x()), twipsToPixels(topLeftTwips.y()));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

void QtDialogs::messageBox(const QString& text) {
    // A long list would make the box taller than the screen: the rest goes behind
    // "Show Details...".
    constexpr qsizetype kMaxLines = 30;
    const QStringList lines = widgetTextFromModel(text).split(QLatin1Char('\n'));
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf16(kApplicationTitle),
                    widgetTextFromModel(text), QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    if (lines.size() > kMaxLines) {
        box.setText(lines.mid(0, kMaxLines).join(QLatin1Char('\n')) + QStringLiteral("\n…"));
        box.setDetailedText(widgetTextFromModel(text));
    }
    box.exec();
}

} // namespace ui::qt
