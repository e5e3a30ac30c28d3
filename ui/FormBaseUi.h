#pragma once

#include <QDialog>

class QPropertyAnimation;

// Base of the translucent frameless dialogs (the start-up wait screen): dragging anywhere moves it.
class FormBaseUi : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(FormBaseUi)

public:
    explicit FormBaseUi(QWidget *parent = nullptr);
    ~FormBaseUi() override;

    void startSystemMove();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

    QPropertyAnimation *opacityAnimation;
};
