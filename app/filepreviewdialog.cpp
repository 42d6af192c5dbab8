#include "app/filepreviewdialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/mfcwinbmp.h"
#include "app/qttext.h"
#include "platform/ui/nameiconprovider.h"

namespace {

constexpr int kMaxFileNameLength = 260;
// Wide enough for the four columns of the list beside the preview.
constexpr int kMinimumDialogWidth = 860;

}  // namespace

// The inner area of the group box: the window colour, the picture over it.
class CFilePreviewDialog::CPreviewPane : public QWidget
{
public:
    explicit CPreviewPane(CFilePreviewDialog& dialog) : m_dialog(dialog)
    {
        setMinimumSize(kPreviewSize + 8, kPreviewSize + 8);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        const CMfcWinBmp* preview = m_dialog.GetPreview();
        if (preview == nullptr || !preview->HasBitmap())
            return;
        const CRect inner{0, 0, width(), height()};
        // Whole pixels, as the picture is: no smoothing.
        (void)preview->DrawStretched(painter, PreviewTargetRect(inner, preview->GetWidth(), preview->GetHeight()));
    }

private:
    CFilePreviewDialog& m_dialog;
};

CRect PreviewTargetRect(const CRect& inner, int width, int height)
{
    constexpr int kHalf = CFilePreviewDialog::kPreviewSize / 2;
    const int centreX = (inner.left + inner.right) / 2;
    const int centreY = (inner.top + inner.bottom) / 2;
    CRect target{centreX - kHalf, centreY - kHalf, centreX + kHalf, centreY + kHalf};
    if (width <= 0 || height <= 0)
        return target;
    const double aspect = static_cast<double>(width) / height;
    if (aspect > 1.0)
    {
        const int scaled = static_cast<int>(CFilePreviewDialog::kPreviewSize / aspect);
        target.top += (CFilePreviewDialog::kPreviewSize - scaled) / 2;
        target.bottom = target.top + scaled;
    }
    else if (aspect < 1.0)
    {
        const int scaled = static_cast<int>(CFilePreviewDialog::kPreviewSize * aspect);
        target.left += (CFilePreviewDialog::kPreviewSize - scaled) / 2;
        target.right = target.left + scaled;
    }
    return target;
}

QStringList ConvertFileFilter(const CString& filter)
{
    QStringList filters;
    const QStringList parts = ToQt(filter).split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
    {
        if (parts[i].isEmpty())
            break;
        QString text = parts[i];
        QString patterns = parts[i + 1];
        text.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*")).replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the patterns from the last parentheses of the text.
        const qsizetype open = text.lastIndexOf(QLatin1Char('('));
        if (open >= 0)
            text = text.left(open).trimmed();
        filters << QStringLiteral("%1 (%2)").arg(text, patterns);
    }
    return filters;
}

CFilePreviewDialog::CFilePreviewDialog(const CString& initialName, const CString* title, const CString& filter,
                                       QWidget* parent)
    : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    // Before the dialog is pointed at a folder or a name: it asks its provider about each.
    ListFilesByName(*this);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters(ConvertFileFilter(filter));
    if (title != nullptr)
        setWindowTitle(ToQt(*title));
    const QString name = ToQt(initialName);
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0)
        setDirectory(name.left(slash + 1));
    const QString file = name.mid(slash + 1).left(kMaxFileNameLength);
    if (!file.isEmpty())
        selectFile(file);
    AddPreviewPane();
    FitFileColumns();
    connect(this, &QFileDialog::currentChanged, this, [this](const QString& path) { OnFileNameChange(FromQt(path)); });
}

CFilePreviewDialog::~CFilePreviewDialog()
{
    // The list's icons went into Qt's pixmap cache under keys of icons made for this
    // dialog alone, which no later dialog asks for: each open would add its own, up to
    // the cache's limit of 10 MB scattered over the heap.
    QPixmapCache::clear();
}

void CFilePreviewDialog::AddPreviewPane()
{
    auto* frame = new QGroupBox(QStringLiteral("Preview"), this);
    frame->setObjectName(QStringLiteral("Control%1").arg(kPreviewFrameId));
    m_pane = new CPreviewPane(*this);
    m_notAvailable = new QLabel(QStringLiteral("Not Available"), m_pane);
    m_notAvailable->setObjectName(QStringLiteral("Control%1").arg(kNotAvailableId));
    m_notAvailable->setAlignment(Qt::AlignCenter);
    auto* paneLayout = new QVBoxLayout(m_pane);
    paneLayout->addWidget(m_notAvailable);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_pane);
    frameLayout->addStretch();
    // The dialog's own controls sit in a grid; the pane takes a column of its own.
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(frame, 0, grid->columnCount(), grid->rowCount(), 1);
}

void CFilePreviewDialog::FitFileColumns()
{
    // The preview pane takes width from the list: the name column gives way, and the
    // size, type and date columns keep the width of what they show.
    auto* list = findChild<QTreeView*>(QStringLiteral("treeView"));
    if (list == nullptr || list->header() == nullptr)
        return;
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    // Measured over the rows in sight: a folder of thousands would be measured whole each
    // time a batch of its entries arrives.
    header->setResizeContentsPrecision(0);
    resize(std::max(width(), kMinimumDialogWidth), height());
}

int CFilePreviewDialog::DoModal()
{
    // A dialog whose parent closed while it ran is gone when exec returns.
    const QPointer<CFilePreviewDialog> self(this);
    const int result = exec();
    return !self.isNull() && result == QDialog::Accepted && !selectedFiles().isEmpty() ? IDOK : IDCANCEL;
}

CString CFilePreviewDialog::GetPathName() const
{
    const QStringList files = selectedFiles();
    return files.isEmpty() ? CString() : FromQt(files.front());
}

void CFilePreviewDialog::SetPreview(std::unique_ptr<CMfcWinBmp> preview)
{
    m_preview = std::move(preview);
    m_notAvailable->setVisible(m_preview == nullptr);
    m_pane->update();
}

void CFilePreviewDialog::OnFileNameChange(const CString&)
{
    SetPreview(nullptr);
}
