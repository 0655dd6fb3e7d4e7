#pragma once

#include <QObject>

#include "db/Connection.h"
#include "db/Query.h"
#include "db/QueryModel.h"

// The data module: every database object the program shares, alive for the
// whole run. FDConnection1 reaches the suite's main database, FDConnection_L
// the program's own scratch database; each connection carries its own
// transaction, so the design's separate transaction objects have no
// counterpart here. Its parameters are filled on the main screen's first
// showing.
class TDM2 : public QObject
{
    Q_OBJECT

public:
    explicit TDM2(QObject* parent = nullptr);
    ~TDM2() override;

    db::Connection FDConnection1;
    db::Connection FDConnection_L;

    // The list table's and the printed list's dataset: every supplier column,
    // read only, with the amount and tax-exempt display formats.
    db::Query FDQ_1{FDConnection1};
    // The general statement query of the suite database.
    db::Query FDQ_VORNALIX{FDConnection1};
    // The second query of the import run.
    db::Query FDQ_VORNALIX2{FDConnection1};
    // The import mapping tables in the local database.
    db::Query FDQ_UP2{FDConnection_L};

    db::QueryModel DataSource1{FDQ_1};
};

extern TDM2* DM2;
