#include "platform/ui/dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>
#include <algorithm>

#include "platform/ui/dialogwidget.h"
#include "platform/ui/messagebox.h"

namespace {

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

CString FromQString(const QString& text)
{
    return CString::FromUtf8(text.toStdString());
}

CRect ToCRect(const QRect& rect)
{
    return CRect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

// The border and caption the style draws.
void FrameOf(DWORD style, int& border, int& caption)
{
    border = (style & WS_THICKFRAME) != 0 ? kSizingBorderWidth : kDialogBorderWidth;
    caption = (style & WS_CAPTION) != 0 ? kSmallCaptionHeight : 0;
}

}  // namespace

CDialog::CDialog(UINT templateId, DWORD style) : m_templateId(templateId), m_style(style) {}

CDialog::~CDialog()
{
    if (m_window != nullptr)
    {
        m_window->Detach();
        delete m_window;
        m_window = nullptr;
    }
}

bool CDialog::Create(QWidget* owner)
{
    if (m_window != nullptr)
        return false;
    const bool child = (m_style & WS_CHILD) != 0;
    m_window = new CDialogWidget(*this, owner, child);
    int border = 0;
    int caption = 0;
    FrameOf(m_style, border, caption);
    m_window->SetFrame(border, caption);
    m_window->hide();
    CreateTemplateControls();
    if (!OnInitDialog())
    {
        DestroyWindow();
        return false;
    }
    return true;
}

void CDialog::DestroyWindow()
{
    if (m_window == nullptr)
        return;
    OnDestroy();
    CDialogWidget* window = m_window;
    window->Detach();
    m_window = nullptr;
    m_controls.clear();
    m_capture = false;
    delete window;
}

void CDialog::OnWindowDestroyed()
{
    m_window = nullptr;
    m_controls.clear();
    m_capture = false;
}

void CDialog::SetTemplateOrigin(int x, int y)
{
    if (m_window == nullptr || !m_window->isWindow())
        return;
    const QWidget* owner = m_window->parentWidget();
    const QPoint origin = owner != nullptr ? owner->geometry().topLeft() : QPoint(0, 0);
    m_window->move(origin.x() + x, origin.y() + y);
}

QWidget* CDialog::GetWindow() const
{
    return m_window;
}

QWidget* CDialog::GetClientWidget() const
{
    return m_window != nullptr ? m_window->GetClient() : nullptr;
}

void CDialog::SetClientSize(int width, int height)
{
    if (m_window != nullptr)
        m_window->SetClientSize(width, height);
}

void CDialog::AddControl(int id, QWidget* control)
{
    if (control == nullptr)
        return;
    m_controls[id] = control;
    control->setProperty("dlgCtrlId", id);
    if (m_window != nullptr)
        m_window->WatchControl(control);
}

QWidget* CDialog::GetDlgItem(int id) const
{
    const auto found = m_controls.find(id);
    return found != m_controls.end() ? found->second : nullptr;
}

int CDialog::GetDlgCtrlID(const QWidget* control) const
{
    for (const auto& [id, widget] : m_controls)
        if (widget == control)
            return id;
    return 0;
}

int CDialog::GetFocusControlId() const
{
    for (const QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget())
        if (!w->property("dlgCtrlId").isNull())
            return w->property("dlgCtrlId").toInt();
    return 0;
}

bool CDialog::IsEditableEdit(int id) const
{
    QWidget* control = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return !edit->isReadOnly();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(control))
        return !edit->isReadOnly();
    if (auto* edit = qobject_cast<QTextEdit*>(control))
        return !edit->isReadOnly();
    return false;
}

void CDialog::CheckDlgButton(int id, int check)
{
    if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id)))
    {
        const QSignalBlocker blocker(button);
        button->setChecked(check != 0);
    }
}

int CDialog::IsDlgButtonChecked(int id) const
{
    const auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    return button != nullptr && button->isChecked() ? 1 : 0;
}

void CDialog::SetDlgItemText(int id, const CString& text)
{
    QWidget* control = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(ToQString(text));
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        // Multi-line edit boxes end their lines with CR LF.
        plain->setPlainText(ToQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(ToQString(text));
    else if (control != nullptr)
        control->setProperty("text", ToQString(text));
}

CString CDialog::GetDlgItemText(int id) const
{
    QWidget* control = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return FromQString(edit->text());
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        return FromQString(plain->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return FromQString(combo->currentText());
    if (control != nullptr)
        return FromQString(control->property("text").toString());
    return {};
}

void CDialog::SetDlgItemInt(int id, int value)
{
    SetDlgItemText(id, CString::Formatted("%d", value));
}

bool CDialog::GetDlgItemInt(int id, int& value) const
{
    bool ok = false;
    const int read = ToQString(GetDlgItemText(id)).trimmed().toInt(&ok);
    if (ok)
        value = read;
    return ok;
}

bool CDialog::ReadDlgItemIntInRange(int id, int minimum, int maximum, int& value) const
{
    int read = 0;
    if (!GetDlgItemInt(id, read))
    {
        AfxMessageBox(CString("Please enter an integer."), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (read < minimum || read > maximum)
    {
        AfxMessageBox(CString::Formatted("Please enter an integer between %d and %d.", minimum, maximum),
                      MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    value = read;
    return true;
}

void CDialog::SetCurSel(int id, int index)
{
    QWidget* control = GetDlgItem(id);
    if (auto* combo = qobject_cast<QComboBox*>(control))
    {
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(index);
    }
    else if (auto* list = qobject_cast<QListWidget*>(control))
    {
        const QSignalBlocker blocker(list);
        list->setCurrentRow(index);
    }
}

int CDialog::GetCurSel(int id) const
{
    QWidget* control = GetDlgItem(id);
    if (const auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentIndex();
    if (const auto* list = qobject_cast<QListWidget*>(control))
        return list->currentRow();
    return -1;
}

void CDialog::EnableDlgItem(int id, bool enable)
{
    if (QWidget* control = GetDlgItem(id))
        control->setEnabled(enable);
}

void CDialog::ShowDlgItem(int id, bool show)
{
    if (QWidget* control = GetDlgItem(id))
        control->setVisible(show);
}

CRect CDialog::GetDlgItemScreenRect(int id) const
{
    QWidget* control = GetDlgItem(id);
    if (control == nullptr)
        return {};
    return ToCRect(QRect(control->mapToGlobal(QPoint(0, 0)), control->size()));
}

void CDialog::ShowWindow(int showCommand)
{
    if (m_window == nullptr)
        return;
    const bool show = showCommand != SW_HIDE;
    // A child's own state: a page stays hidden while its window's owner is hidden too.
    if (show == !m_window->isHidden())
        return;
    if (show)
    {
        OnShowWindow(true);
        if (m_window != nullptr)
            m_window->show();
        return;
    }
    m_window->hide();
    OnShowWindow(false);
}

bool CDialog::IsWindowVisible() const
{
    return m_window != nullptr && m_window->isVisible();
}

bool CDialog::IsIconic() const
{
    return m_window != nullptr && m_window->isMinimized();
}

CRect CDialog::GetWindowRect() const
{
    if (m_window == nullptr)
        return {};
    if (m_window->isWindow())
        return ToCRect(m_window->geometry());
    return ToCRect(QRect(m_window->mapToGlobal(QPoint(0, 0)), m_window->size()));
}

CRect CDialog::GetClientRect() const
{
    QWidget* client = GetClientWidget();
    return client != nullptr ? CRect{0, 0, client->width(), client->height()} : CRect{};
}

CPoint CDialog::ClientToScreen(CPoint point) const
{
    QWidget* client = GetClientWidget();
    if (client == nullptr)
        return point;
    const QPoint screen = client->mapToGlobal(QPoint(point.x, point.y));
    return CPoint{screen.x(), screen.y()};
}

void CDialog::SetWindowPos(int x, int y, int width, int height, UINT flags)
{
    if (m_window == nullptr)
        return;
    const QRect current = m_window->geometry();
    const int left = (flags & SWP_NOMOVE) != 0 ? current.left() : x;
    const int top = (flags & SWP_NOMOVE) != 0 ? current.top() : y;
    const int w = (flags & SWP_NOSIZE) != 0 ? current.width() : std::max(1, width);
    const int h = (flags & SWP_NOSIZE) != 0 ? current.height() : std::max(1, height);
    if (w != current.width() || h != current.height())
        m_window->setGeometry(left, top, w, h);
    else if (left != current.left() || top != current.top())
        m_window->move(left, top);
    if ((flags & SWP_NOZORDER) == 0)
        BringWindowToTop();
}

void CDialog::MoveWindow(const CRect& rect)
{
    SetWindowPos(rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOZORDER);
}

void CDialog::BringWindowToTop()
{
    // Qt's offscreen platform keeps no stacking order (and says so at every raise).
    if (m_window != nullptr && QGuiApplication::platformName() != QLatin1String("offscreen"))
        m_window->raise();
}

void CDialog::SetWindowText(const CString& text)
{
    if (m_window != nullptr)
    {
        m_window->setWindowTitle(ToQString(text));
        m_window->update();
    }
}

CString CDialog::GetWindowText() const
{
    return m_window != nullptr ? FromQString(m_window->windowTitle()) : CString();
}

void CDialog::Invalidate()
{
    if (m_window != nullptr)
        m_window->update();
}

void CDialog::ModifyStyle(DWORD remove, DWORD add)
{
    m_style = (m_style & ~remove) | add;
    if (m_window == nullptr)
        return;
    int border = 0;
    int caption = 0;
    FrameOf(m_style, border, caption);
    m_window->SetFrame(border, caption);
}

void CDialog::SetCapture()
{
    m_capture = true;
}

void CDialog::ReleaseCapture()
{
    m_capture = false;
}

CPoint CDialog::GetMessageCursorPos() const
{
    if (m_messagePoint.x != -1 || m_messagePoint.y != -1)
        return m_messagePoint;
    const QPoint pointer = QCursor::pos();
    return CPoint{pointer.x(), pointer.y()};
}

void CDialog::OnOK()
{
    if ((m_style & WS_CHILD) == 0)
        ShowWindow(SW_HIDE);
}

void CDialog::OnCancel()
{
    if ((m_style & WS_CHILD) == 0)
        ShowWindow(SW_HIDE);
}

void CDialog::OnClose()
{
    OnCancel();
}
