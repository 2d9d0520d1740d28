#include "attachmentmarkdelegate.h"

#include "attachmentpictures.h"
#include "attachmenttable.h"
#include "database.h"
#include "dberror.h"

#include <QAbstractItemView>
#include <QPainter>

AttachmentMarkDelegate* AttachmentMarkDelegate::install(QAbstractItemView* view, int markedColumn,
                                                        int keyColumn) {
    QAbstractItemDelegate* inner = view->itemDelegateForColumn(markedColumn);
    if (!inner)
        inner = view->itemDelegate();
    auto* mark = new AttachmentMarkDelegate(view, inner, markedColumn, keyColumn);
    view->setItemDelegateForColumn(markedColumn, mark);
    return mark;
}

AttachmentMarkDelegate::AttachmentMarkDelegate(QAbstractItemView* view, QAbstractItemDelegate* inner,
                                               int markedColumn, int keyColumn)
    : QAbstractItemDelegate(view), m_view(view), m_inner(inner), m_markedColumn(markedColumn),
      m_keyColumn(keyColumn) {
    QAbstractItemModel* model = view->model();
    connect(model, &QAbstractItemModel::modelReset, this, &AttachmentMarkDelegate::readMarks);
    connect(&AttachmentNotices::instance(), &AttachmentNotices::attachmentsChanged, this,
            &AttachmentMarkDelegate::follow);
    connect(&AttachmentNotices::instance(), &AttachmentNotices::entryDeleted, this,
            [this](qint64 entryKey) { m_marked.remove(entryKey); });
    readMarks();
}

void AttachmentMarkDelegate::readMarks() {
    m_marked.clear();
    if (m_view->model()->rowCount() == 0)
        return; // an emptied list needs none
    try {
        m_marked = AttachmentTable::entriesWithAttachments(Database::instance().connection());
    } catch (const DbError&) {
        // No marks rather than no list.
    }
}

void AttachmentMarkDelegate::follow(qint64 entryKey) {
    try {
        if (AttachmentTable::hasAttachments(Database::instance().connection(), entryKey))
            m_marked.insert(entryKey);
        else
            m_marked.remove(entryKey);
    } catch (const DbError&) {
        return;
    }
    m_view->viewport()->update();
}

bool AttachmentMarkDelegate::marked(const QModelIndex& index) const {
    if (m_marked.isEmpty())
        return false;
    bool isKey = false;
    const qint64 key = index.sibling(index.row(), m_keyColumn).data().toLongLong(&isKey);
    return isKey && m_marked.contains(key);
}

QString AttachmentMarkDelegate::description(const QModelIndex& index) const {
    return index.column() == m_markedColumn && marked(index) ? QStringLiteral("有附件") : QString();
}

void AttachmentMarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    if (!m_inner)
        return;
    if (!marked(index)) {
        m_inner->paint(painter, option, index);
        return;
    }
    const QRect strip(option.rect.left(), option.rect.top(), clipWidth, option.rect.height());
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    painter->fillRect(strip, selected ? option.palette.brush(group, QPalette::Highlight)
                                      : option.palette.brush(group, QPalette::Base));
    AttachmentPictures::paintPaperClip(painter, QRectF(strip).adjusted(1, 3, -1, -3),
                                       selected ? option.palette.color(group, QPalette::HighlightedText)
                                                : QColor(70, 70, 90));
    QStyleOptionViewItem rest = option;
    rest.rect.setLeft(option.rect.left() + clipWidth);
    m_inner->paint(painter, rest, index);
    // The grid line under the cell, where the inner delegate no longer reaches.
    painter->save();
    painter->setPen(QColor(192, 192, 192));
    painter->drawLine(strip.bottomLeft(), strip.bottomRight());
    painter->restore();
}

QSize AttachmentMarkDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (!m_inner)
        return {};
    const QSize inner = m_inner->sizeHint(option, index);
    return marked(index) ? inner + QSize(clipWidth, 0) : inner;
}
