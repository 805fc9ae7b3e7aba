#include "db/schema.h"

#include "db/database.h"
#include "db/indexes.h"

namespace st::db {

void CreateSchema(Database& db) {
    // Rich columns hold RTF bytes; plain columns hold the folded search form.
    // The columns the tree and the searches read stand before the wide RTF
    // ones, so reading them never walks a row's overflow pages.
    static const char* const ddl = R"(
create table List_Entries (
  Entry_ID integer primary key,
  Parent_ID integer,
  Revision_ID integer,
  Entry_type integer not null default 0,
  List_Title text,
  Entry_Short text,
  Sort_list integer,
  Sort_Num integer,
  Picture_key integer not null default 0,
  Plain_Title text,
  Plain_Text text,
  Plain_After text,
  Rich_Title blob,
  Rich_Text blob,
  Rich_After blob
);
create index List_Entries_Sort on List_Entries (Sort_list, Sort_Num);
create index List_Entries_Parent on List_Entries (Parent_ID, Sort_list, Sort_Num);
create index List_Entries_Revision on List_Entries (Revision_ID);
-- Covers every entry query of the tree: a search scans it in document order
-- and reaches the table only for the entries it shows.
create index List_Entries_Tree on List_Entries
  (Sort_list, Sort_Num, Revision_ID, Parent_ID, Entry_type, Picture_key, List_Title);

create table LIST_RICH_TEXT (ENTRY_ID integer, Rich_Text blob);
create table LIST_RICH_AFTER (ENTRY_ID integer, Rich_After blob);

create table Term_In_List (Entry_ID integer, Term_ID integer, Position text);
create index Term_In_List_Entry on Term_In_List (Entry_ID);
create index Term_In_List_Term on Term_In_List (Term_ID);

create table SYNONYM (
  SYNONYM_ID integer primary key,
  ENTRY_ID integer,
  SYN_NUMBER integer,
  TEXT blob,
  Plain_Text text,
  PARENT_ID integer not null default 0
);
create index SYNONYM_Number on SYNONYM (SYN_NUMBER);

create table SYN_NAME (
  REVISION_ID integer,
  SYN_NUMBER integer,
  NAME text,
  IS_ADD_PARENT integer not null default 0,
  Refer_Revision_ID integer
);

create table Comments (
  comment_id integer primary key,
  entry_id integer,
  expert_id integer,
  rich_text blob,
  plain_text text,
  plain_head text,
  mk_date text,
  show_in_kids integer not null default 0
);

create table List_pictures (
  Picture_ID integer primary key,
  Entry_ID integer,
  PictureTitle text,
  PictureCaption text,
  PictureExt text,
  Picture blob,
  PictureOrigin_ID integer
);
create index List_pictures_Entry on List_pictures (Entry_ID);

create table PictureOrigins (
  PictureOrigin_ID integer primary key,
  PictureOrigin text,
  PictureOrigin_ico blob
);

create table expert (
  expert_id integer primary key,
  expert_login text,
  expert_pwd text,
  expert_name text,
  can_Edit_Pictures integer not null default 0
);
)";
    Transaction tr(db);
    db.exec(QString::fromUtf8(ddl));
    for (const IndexDef& d : KnownIndexes()) {
        if (d.isRowIdKey) continue;
        QStringList cols;
        for (const QString& k : d.keys) cols << QuoteIdentifier(k);
        db.exec(
            QStringLiteral("create index %1 on %2 (%3)")
                .arg(QuoteIdentifier(d.sqliteName()), QuoteIdentifier(d.table), cols.join(u',')));
    }
    tr.commit();
    db.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

OptionalSchema DetectOptionalSchema(const Database& db) {
    OptionalSchema o;
    o.pictureOrigins = db.hasTable(tables::PictureOrigins);
    o.referRevision = db.hasColumn(tables::SynName, QStringLiteral("Refer_Revision_ID"));
    o.canEditPictures = db.hasColumn(tables::Expert, QStringLiteral("can_Edit_Pictures"));
    o.pictureOriginId = db.hasColumn(tables::Pictures, QStringLiteral("PictureOrigin_ID"));
    o.richTextTable = db.hasTable(tables::RichText);
    o.richAfterTable = db.hasTable(tables::RichAfter);
    return o;
}

}  // namespace st::db
