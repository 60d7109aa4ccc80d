#include "db/create_database.h"

#include "db/database.h"
#include "db/demo_data.h"
#include "db/schema.h"

namespace db {

int initialiseDatabase(Database& db, bool demo, const QDateTime& now) {
    createSchema(db);
    insertSystemSettings(db, QStringLiteral("城关镇教育办公室"));
    insertTemplateTimetables(db);
    return demo ? insertDemoProject(db, now) : 0;
}

int createDatabase(const QString& path, bool demo, const QDateTime& now) {
    Database db(path, Database::Mode::Create);
    Transaction tx(db);
    const int project = initialiseDatabase(db, demo, now);
    tx.commit();
    return project;
}

} // namespace db
