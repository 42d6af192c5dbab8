#include "platform/ui/listrepaintpacer.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QFileSystemModel>
#include <QListView>
#include <QPaintEvent>
#include <QRegion>

namespace {

const char* const kPacerName = "listRepaintPacer";

}  // namespace

void CListRepaintPacer::Attach(QAbstractItemView& view)
{
    // Found by name: the pacer declares no meta-object of its own to be found by type.
    if (view.model() == nullptr || view.findChild<QObject*>(QString::fromLatin1(kPacerName), Qt::FindDirectChildrenOnly) != nullptr)
        return;
    new CListRepaintPacer(view);
}

CListRepaintPacer::CListRepaintPacer(QAbstractItemView& view)
    : QObject(&view), m_viewport(view.viewport()), m_list(qobject_cast<QListView*>(&view))
{
    setObjectName(QString::fromLatin1(kPacerName));
    m_resume.setSingleShot(true);
    connect(&m_resume, &QTimer::timeout, this, &CListRepaintPacer::Resume);
    view.viewport()->installEventFilter(this);
    // Rows are held back before they move: the view then asks for no repaint of a part of
    // the list, which would draw rows in their new places beside the rest in their old.
    const QAbstractItemModel* model = view.model();
    const auto moving = [this] { Hold(true); };
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, moving);
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, moving);
    connect(model, &QAbstractItemModel::rowsAboutToBeMoved, this, moving);
    connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, moving);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, moving);
    // A changed entry keeps its place: the view has asked to draw it, and later ones wait.
    connect(model, &QAbstractItemModel::dataChanged, this, [this] { Hold(false); });
    if (const auto* files = qobject_cast<const QFileSystemModel*>(model))
        WatchListings(*files);
}

void CListRepaintPacer::WatchListings(const QFileSystemModel& files)
{
    connect(&files, &QFileSystemModel::rootPathChanged, this, &CListRepaintPacer::BeginListing);
    connect(&files, &QFileSystemModel::directoryLoaded, this, [this](const QString& folder) {
        if (m_listing == EListing::Listing && folder == m_listedFolder)
            m_listing = EListing::Loaded;
    });
}

void CListRepaintPacer::BeginListing(const QString& folder)
{
    m_listing = EListing::Listing;
    m_listedFolder = folder;
    // Changes of the folder left, or of the path to the new one, wait no longer.
    if (m_resume.isActive())
    {
        m_resume.stop();
        Resume();
    }
}

bool CListRepaintPacer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint)
    {
        LayOutBeforePaint();
        m_sincePaint.start();
        if (m_listing == EListing::Loaded)
            m_listing = EListing::None;
        // A part of the list is drawn while moved rows wait (the window system asked, or
        // the view had asked before the rows were held): the whole list is drawn at the
        // next turn, so that the part drawn now stands beside the rest for no longer.
        if (m_resume.isActive() && m_moved && m_viewport != nullptr &&
            !QRegion(m_viewport->rect()).subtracted(static_cast<const QPaintEvent*>(event)->region()).isEmpty())
            m_resume.start(0);
    }
    return QObject::eventFilter(watched, event);
}

void CListRepaintPacer::LayOutBeforePaint() const
{
    // A list view draws the rows that its last layout placed in the painted area, and lays
    // its rows out again on a timer after the model changed them, or when asked where a row
    // is: rows that had just arrived had no place yet, and none was drawn. Asking where the
    // first row is lays out what is pending, and is a look-up when nothing is.
    if (m_list != nullptr)
        (void)m_list->indexAt(QPoint(0, 0));
}

void CListRepaintPacer::Hold(bool moving)
{
    if (m_viewport == nullptr)
        return;
    if (m_resume.isActive())
    {
        m_moved = m_moved || moving;
        return;
    }
    // The view may have asked to draw a part of the list as it heard of the rows to come or
    // go (the current row): the paint still to come draws the whole list, with the rows in
    // their new places, whether it comes now or when the held changes are drawn.
    if (moving)
        m_viewport->update();
    if (m_listing != EListing::None || !m_sincePaint.isValid())
        return;
    const qint64 since = m_sincePaint.elapsed();
    if (since >= kIntervalMs)
        return;
    m_moved = moving;
    m_viewport->setUpdatesEnabled(false);
    m_resume.start(static_cast<int>(kIntervalMs - since));
}

void CListRepaintPacer::Resume()
{
    m_moved = false;
    // Enabling updates asks for the whole list to be drawn again.
    if (m_viewport != nullptr)
        m_viewport->setUpdatesEnabled(true);
}
