// Must not build: the spreadsheet library and the draw know cells and candidates, not the database.
#include "db/database.h"

int main() {
    return db::integer(db::Row(), QStringLiteral("编号"));
}
