#include "app/spinbuttonctrl.h"

#include <QToolButton>
#include <algorithm>

namespace {

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

CSpinButtonCtrl::CSpinButtonCtrl(QWidget* parent)
    : QWidget(parent), m_up(MakeArrow(this, Qt::UpArrow)), m_down(MakeArrow(this, Qt::DownArrow))
{
    QObject::connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    QObject::connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void CSpinButtonCtrl::SetRange(int minimum, int maximum)
{
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
    m_position = std::clamp(m_position, m_minimum, m_maximum);
}

void CSpinButtonCtrl::SetPos(int position)
{
    m_position = std::clamp(position, m_minimum, m_maximum);
}

void CSpinButtonCtrl::Step(int delta)
{
    if (m_onDelta && m_onDelta(m_position, delta))
        return;
    m_position = std::clamp(m_position + delta, m_minimum, m_maximum);
}

void CSpinButtonCtrl::resizeEvent(QResizeEvent* /*event*/)
{
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}
