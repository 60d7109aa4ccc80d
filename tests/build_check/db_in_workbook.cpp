// Must not build: the spreadsheet library knows cells and sheets, not the database.
#include "db/database.h"

int main() {
    return db::integer(db::Row(), QStringLiteral("编号"));
}
