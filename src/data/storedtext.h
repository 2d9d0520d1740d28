#pragma once

#include <QString>

// Long texts (a diary entry, a ledger entry's notes) are stored with CR LF line
// breaks and shown with the desktop's own, so text written here and text from an
// older file look the same.
namespace StoredText {

QString toStored(const QString& shown);
QString toShown(const QString& stored);

// The stored text after the user edited its shown form. A text box shows some
// characters differently from how they are stored (a no-break space as a blank,
// U+2028 and U+2029 and a lone CR as line breaks), so converting the whole shown text
// back would rewrite what nobody touched. Here only the part that changed between
// shownBefore (the box's text right after `stored` was put into it) and shownNow is
// converted; the rest keeps its stored characters.
QString afterEdit(const QString& stored, const QString& shownBefore, const QString& shownNow);

} // namespace StoredText
