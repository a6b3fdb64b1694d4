#pragma once

class QObject;
class QValidator;

namespace nxa::app {

// Names, the description and the generator travel one byte per character, so
// only U+0020-U+00FF is taken at input; anything else would come back from
// the tester as another character.
QValidator *createStorableTextValidator(QObject *parent);

} // namespace nxa::app
