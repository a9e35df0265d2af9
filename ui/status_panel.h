// One panel of the status bar: a sunken label whose text changes many times a second
// during a flight, painted from a cached frame and a cached text layout.
#pragma once

#include <QLabel>
#include <QPixmap>
#include <QStaticText>

namespace orrimar {

class StatusPanel : public QLabel {
    Q_OBJECT

public:
    explicit StatusPanel(const QString& text, QWidget* parent = nullptr);

    // The text to show; the label's own text follows at apply() unless held.
    void setPanelText(const QString& text, bool held);
    const QString& panelText() const { return text_; }
    // Gives the label a text kept back while held.
    void apply();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString text_;
    bool pending_ = false;
    QPixmap frame_;  // the sunken frame over a transparent inside, for the current size
    QStaticText layout_;
    QString layoutText_;  // what layout_ was prepared for
    qreal layoutAdvance_ = 0.0;
};

}  // namespace orrimar
