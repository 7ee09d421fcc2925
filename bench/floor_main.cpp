// qm5bench-floor [--idle]: the smallest window on the same stack with as many
// plain push buttons as the panel has, the panel's compact size, reporting
// its first paint. Links Qt Widgets only.

#include <QApplication>
#include <QPushButton>
#include <QWidget>

#include "first_paint.hpp"

int main(int argc, char** argv)
{
    constexpr int buttonCount = 94;
    // The panel's client area in its compact view, in pixels.
    constexpr int width = 633;
    constexpr int height = 332;
    constexpr int columns = 10;

    QApplication app(argc, argv);
    qm5::bench::FirstPaintReporter reporter(qm5::bench::stayUpRequested(argc, argv));
    app.installEventFilter(&reporter);

    QWidget window;
    window.setObjectName(QStringLiteral("Floor"));
    window.setFixedSize(width, height);
    const int w = width / columns;
    const int h = height / ((buttonCount + columns - 1) / columns);
    for (int i = 0; i < buttonCount; ++i) {
        auto* button = new QPushButton(QString::number(i + 3), &window);
        button->setGeometry((i % columns) * w, (i / columns) * h, w, h);
    }
    window.show();
    return app.exec();
}
