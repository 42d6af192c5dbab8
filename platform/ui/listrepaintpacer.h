#pragma once
// CListRepaintPacer: lets a list whose model keeps changing repaint a few times a second
// rather than at every change. A file list watches its folder, and a folder that another
// program keeps changing (a download or temporary folder) changes it a hundred times a
// second: each change would lay out and draw every shown row again, most of a core on the
// interface thread. The first change after a quiet spell is drawn at once; changes that
// follow within the interval are drawn together at its end. The window system's own
// requests to draw (a window uncovered) are answered at once, as ever, and a part so drawn
// while moved rows wait is followed at the next turn by the whole list.
//
// A file list's first listing of a folder it was pointed at is drawn as it comes, however
// soon after the last paint: the list was just drawn empty or over the folder before, and
// held rows would show the new folder a tenth of a second late. The listing lasts until the
// model says it loaded the folder, and up to the paint after that, which also shows the
// model's sort of what it loaded; only the changes after it are paced.
//
// Whatever asked for it, a paint of a list view shows the rows the model has. The view picks
// the rows to draw from the places it last laid them out in, and lays them out again on a
// timer after the model changed them: a paint between the two (one let through here while a
// folder loads, or the window system's on a busy machine) drew a list that had just taken in
// rows as empty, and picked the rows of one that had sorted them by their old places. The
// pending layout is therefore done before the paint, which costs nothing more: the view
// would have done it at the timer, or at the first row it drew. A tree view lays itself out
// before it paints.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QAbstractItemView;
class QEvent;
class QFileSystemModel;
class QListView;
class QWidget;

class CListRepaintPacer : public QObject
{
public:
    // The shortest time between two repaints that model changes ask for.
    static constexpr int kIntervalMs = 100;

    // Paces the view's repaints for as long as the view lives; the view owns the pacer.
    // A view already paced, or without a model, is left as it is.
    static void Attach(QAbstractItemView& view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CListRepaintPacer(QAbstractItemView& view);

    // Follows the first listing of each folder the file model is pointed at.
    void WatchListings(const QFileSystemModel& files);
    void BeginListing(const QString& folder);

    // Lays out a list view's rows before it paints them, should the model have changed them
    // since its last layout.
    void LayOutBeforePaint() const;

    // Holds the list's repaints back until the interval since the last paint has passed;
    // `moving` tells that rows come, go or move.
    void Hold(bool moving);
    void Resume();

    // The view's viewport, which its view may destroy before the pacer.
    QPointer<QWidget> m_viewport;
    // The view when it is a list view, which the pacer lives no longer than.
    QListView* m_list;
    QElapsedTimer m_sincePaint;
    QTimer m_resume;
    bool m_moved = false;  // rows came, went or moved while held
    // The folder whose first listing is under way, until the paint after it was loaded.
    enum class EListing
    {
        None,
        Listing,
        Loaded
    };
    EListing m_listing = EListing::None;
    QString m_listedFolder;
};
