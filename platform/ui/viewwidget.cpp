#include "platform/ui/viewwidget.h"

#include <QPainter>
#include <QResizeEvent>
#include <QTimerEvent>

#include "platform/ui/view.h"

CViewWidget::CViewWidget(CView& view, QWidget* parent) : QWidget(parent), m_view(&view)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
}

CViewWidget::~CViewWidget()
{
    if (m_view != nullptr)
        m_view->OnWindowDestroyed();
}

void CViewWidget::paintEvent(QPaintEvent*)
{
    if (m_view == nullptr)
        return;
    m_view->OnPaint();
    const QImage* frame = m_view->GetPresentedFrame();
    if (frame != nullptr)
    {
        QPainter painter(this);
        painter.drawImage(0, 0, *frame);
    }
}

void CViewWidget::resizeEvent(QResizeEvent* event)
{
    if (m_view != nullptr)
        m_view->OnSize(event->size().width(), event->size().height());
}

void CViewWidget::timerEvent(QTimerEvent* event)
{
    if (m_view != nullptr)
        m_view->DispatchTimer(event->timerId());
}
