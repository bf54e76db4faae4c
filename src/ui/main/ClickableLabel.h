#pragma once

#include <QLabel>

// A label of the left-hand menu: a click on it hands its index (the command
// code) to whoever listens.
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

private:
    int index_;
    bool pressed_ = false;
};
