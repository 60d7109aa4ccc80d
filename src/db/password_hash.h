#pragma once

#include <QString>

// The management password as the 密码 column holds it: a salted, slow derivation with its
// parameters in the text, "pbkdf2-sha256$<iterations>$<salt>$<key>" (salt and key in base64).
// Whoever can read the database learns no password from it, and each guess costs an attacker
// the same iterations it costs the login; the count can rise later without a change of format.
namespace db {

// Chosen so that one login takes about a tenth of a second on an office PC.
inline constexpr int kPasswordIterations = 400000;

// The derivation of `password` with a fresh random salt, as the column stores it.
QString hashPassword(const QString& password);

// Whether `stored` is a derivation; anything else is a password stored as plain text by an
// older version.
bool isPasswordHash(const QString& stored);

// Whether `typed` is the password the derivation `stored` stands for, exactly (letter case and
// blanks count): derived with the stored salt and iterations and compared in constant time.
// Anything that is no readable derivation matches nothing.
bool passwordMatches(const QString& stored, const QString& typed);

} // namespace db
