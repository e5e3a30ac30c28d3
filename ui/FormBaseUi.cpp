#include "ui/FormBaseUi.h"

#include "platform/gui/WindowSystem.h"

#include <QPropertyAnimation>

FormBaseUi::FormBaseUi(QWidget *parent) : QDialog(parent)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    opacityAnimation = new QPropertyAnimation(this, QByteArrayLiteral("windowOpacity"), this);
}

FormBaseUi::~FormBaseUi() = default;

void FormBaseUi::startSystemMove()
{
    platform::startSystemMove(this);
}

void FormBaseUi::mousePressEvent(QMouseEvent *)
{
    startSystemMove();
}

void FormBaseUi::mouseMoveEvent(QMouseEvent *) {}
