#include "platform/ui/waitcursor.h"

#include <QApplication>
#include <QCursor>

CWaitCursor::CWaitCursor()
{
    // Without a Qt application (a program that only reads files) there is no cursor.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    m_shown = true;
}

CWaitCursor::~CWaitCursor()
{
    if (m_shown)
        QApplication::restoreOverrideCursor();
}
