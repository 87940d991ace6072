#pragma once

#include <QString>

namespace halvana {

// Login passwords are kept salted and hashed: "pbkdf2-sha256$<iterations>$<salt>$<key>", salt and
// key in base64, so the store never holds a password a reader could type.
QString hashPassword(const QString& password);
bool isHashedPassword(const QString& stored);

// Whether the typed text is the password the store holds. A stored value without the hash prefix
// is a plain password from an older store; a damaged hash never matches. The comparison takes the
// same time wherever the texts differ.
bool passwordMatches(const QString& stored, const QString& typed);

} // namespace halvana
