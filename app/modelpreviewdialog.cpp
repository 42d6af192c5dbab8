#include "app/modelpreviewdialog.h"

#include "app/mfcwinbmp.h"
#include "document/dib.h"
#include "document/imageadapter/picturesidelimit.h"
#include "document/tarnwickmodel.h"
#include "platform/archive.h"
#include "platform/memfile.h"

CModelPreviewDialog::CModelPreviewDialog(const CString& initialName, const CString* title, const CString& filter,
                                         QWidget* parent)
    : CFilePreviewDialog(initialName, title, filter, parent)
{
    setDefaultSuffix(QStringLiteral("twk"));
}

namespace {

// What a model's header takes to its picture's end, as read first and at the most: a
// preview's picture is small, but one of another program may be large.
constexpr std::size_t kFirstHeadBytes = 1 << 20;
constexpr std::size_t kMostHeadBytes = 64 << 20;

// Whether a head that gave no picture was cut short of a header it may still hold.
bool ReadsOn(const CFileHead& head, const CMfcWinBmp* preview)
{
    return preview == nullptr && head.bytes.size() < head.size && head.bytes.size() < kMostHeadBytes;
}

}  // namespace

void CModelPreviewDialog::OnFileNameChange(const CString& path)
{
    // The picture of the file selected before is no picture of this one.
    SetPreview(nullptr);
    if (path.IsEmpty())
    {
        m_reader.Cancel();
        return;
    }
    ReadPreview(path, kFirstHeadBytes);
}

void CModelPreviewDialog::ReadPreview(const CString& path, std::size_t most)
{
    m_reader.Read(path, most, [this, path](const CFileHead& head) {
        if (!head.read)
            return;
        std::unique_ptr<CMfcWinBmp> preview = DecodeModelPreviewBitmap(head.bytes, path);
        if (ReadsOn(head, preview.get()))
            ReadPreview(path, kMostHeadBytes);
        else
            SetPreview(std::move(preview));
    });
}

std::unique_ptr<CMfcWinBmp> ReadModelPreviewBitmap(const CString& path)
{
    for (std::size_t most = kFirstHeadBytes;; most = kMostHeadBytes)
    {
        const CFileHead head = ReadFileHead(path, most);
        if (!head.read)
            return nullptr;
        std::unique_ptr<CMfcWinBmp> preview = DecodeModelPreviewBitmap(head.bytes, path);
        if (!ReadsOn(head, preview.get()))
            return preview;
    }
}

std::unique_ptr<CMfcWinBmp> DecodeModelPreviewBitmap(const std::vector<std::uint8_t>& head, const CString& path)
{
    if (head.empty() || head.size() > kMostHeadBytes)
        return nullptr;
    CDib* read = nullptr;
    CString description;
    int status = kHeaderReadFailed;
    {
        // The pane shows the picture at kPreviewSize, at most twice that on a dense screen:
        // a larger picture is shrunk as it is decoded, never held whole.
        const CPictureSideLimit limit(2 * CFilePreviewDialog::kPreviewSize);
        CMemFile file(head.data(), static_cast<UINT>(head.size()));
        try
        {
            CArchive ar(&file, CArchive::load | CArchive::bNoFlushOnDelete, 4096);
            ar.m_strFileName = path;
            status = ReadModelFileHeader(ar, read, description);
            ar.Close();
        }
        catch (...)
        {
            // The header reader freed what it read; the picture went with it.
            read = nullptr;
        }
    }
    if (status != kHeaderRead || read == nullptr)
    {
        delete read;
        return nullptr;
    }
    const std::unique_ptr<CDib> dib(read);
    try
    {
        auto preview = std::make_unique<CMfcWinBmp>();
        if (!preview->CreateFromDib(*dib))
            return nullptr;
        return preview;
    }
    catch (...)
    {
        // A picture the bitmap cannot take is no picture to show.
        return nullptr;
    }
}
