#pragma once

#include <QAbstractItemDelegate>
#include <QPointer>
#include <QSet>

class QAbstractItemView;

// The paper clip in front of the name of every listed entry that has attachments.
//
// It wraps the view's own delegate for one column: that delegate still paints the
// cell, moved right by the clip's width where there is a clip. Which entries have
// attachments is read once each time the list is filled (one index-only query,
// never the content) and then kept up to date from the attachment notices.
class AttachmentMarkDelegate : public QAbstractItemDelegate {
    Q_OBJECT
public:
    static constexpr int clipWidth = 16;

    // Wraps the delegate of the view's markedColumn; keyColumn holds the entry keys.
    static AttachmentMarkDelegate* install(QAbstractItemView* view, int markedColumn, int keyColumn);

    bool isMarked(qint64 entryKey) const { return m_marked.contains(entryKey); }
    // What a screen reader says of a cell of the marked column besides its text:
    // "有附件" where the clip is painted, else nothing.
    QString description(const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    AttachmentMarkDelegate(QAbstractItemView* view, QAbstractItemDelegate* inner, int markedColumn,
                           int keyColumn);
    void readMarks();
    void follow(qint64 entryKey);
    bool marked(const QModelIndex& index) const;

    QAbstractItemView* m_view;
    QPointer<QAbstractItemDelegate> m_inner;
    int m_markedColumn;
    int m_keyColumn;
    QSet<qint64> m_marked;
};
