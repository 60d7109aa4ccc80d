#include "db/create_database.h"

#include "db/database.h"
#include "db/demo_data.h"
#include "db/schema.h"

namespace db {

int createDatabase(const QString& path, bool demo, const QDateTime& now) {
    Database db(path, Database::Mode::Create);
    Transaction tx(db);
    createSchema(db);
    insertSystemSettings(db, QStringLiteral("城关镇教育办公室"));
    insertTemplateTimetables(db);
    const int project = demo ? insertDemoProject(db, now) : 0;
    tx.commit();
    return project;
}

} // namespace db
