#pragma once
// A push button whose caption wraps onto further lines when it is too wide
// ("DISPLAY CLEAR", the Japanese captions of the data button), with wrapped
// lines one em apart so that two fit into a 25-pixel button.

#include <QFont>
#include <QPushButton>
#include <QTextLayout>

namespace qm5 {

class CaptionButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void layOut(const QString& caption, int width);

    QTextLayout layout_;
    bool laidOut_ = false;
    QString laidText_;
    int laidWidth_ = -1;
    QFont laidFont_;
    qreal block_ = 0;
};

} // namespace qm5
