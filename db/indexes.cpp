#include "db/indexes.h"

namespace st::db {

QString IndexDef::sqliteName() const {
    return isRowIdKey ? QString() : table + u'_' + name;
}

const QList<IndexDef>& KnownIndexes() {
    static const QList<IndexDef> all = {
        {"List_Entries", "PrimaryKey", {"Entry_ID"}, true},
        {"List_pictures", "PrimaryKey", {"Picture_ID"}, true},
        {"PictureOrigins", "PrimaryKey", {"PictureOrigin_ID"}, true},
        {"SYNONYM", "PrimaryKey", {"SYNONYM_ID"}, true},
        {"SYNONYM", "SYN_SEARCH", {"ENTRY_ID", "SYN_NUMBER"}, false},
        {"SYN_NAME", "SYN_Search", {"REVISION_ID", "SYN_NUMBER"}, false},
        {"Comments", "PrimaryKey", {"comment_id"}, true},
        {"Comments", "Comment_look", {"entry_id", "expert_id"}, false},
        {"Comments", "Comment_time", {"entry_id", "mk_date"}, false},
        {"expert", "PrimaryKey", {"expert_id"}, true},
        {"LIST_RICH_TEXT", "ENTRY_ID", {"ENTRY_ID"}, false},
        {"LIST_RICH_AFTER", "ENTRY_ID", {"ENTRY_ID"}, false},
    };
    return all;
}

const IndexDef* FindIndex(const QString& table, const QString& index) {
    for (const IndexDef& d : KnownIndexes())
        if (d.table.compare(table, Qt::CaseInsensitive) == 0 &&
            d.name.compare(index, Qt::CaseInsensitive) == 0)
            return &d;
    return nullptr;
}

}  // namespace st::db
