#pragma once

class QObject;
class QValidator;

namespace nxa::app {

// Names, the description and the generator travel one byte per character, so
// only U+0020-U+00FF is taken at input; anything else would come back from
// the tester as another character.
QValidator *createStorableTextValidator(QObject *parent);

// Limit fields: decimal digits only; the field's maximum length caps them.
QValidator *createLimitValidator(QObject *parent);

} // namespace nxa::app
