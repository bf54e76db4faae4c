#pragma once

#include <QLabel>

// A label of the left-hand menu: a click on it hands its index (the command
// code) to whoever listens. From the keyboard it is reached with Tab, the
// arrows step to the label above or below, and Enter runs it.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(int index, const QString& caption, QWidget* parent = nullptr);

    int index() const { return index_; }

signals:
    void clicked(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int index_;
    bool pressed_ = false;
};
