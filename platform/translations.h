#pragma once

class QCoreApplication;

namespace korvanta {

// Installs Qt's own Japanese texts (standard buttons of message boxes, the folder dialog) into
// `app`, whatever the system's locale: all of the program's own texts are Japanese. Returns false
// when the translation file is not installed; Qt's English texts then stay.
bool installJapaneseQtTranslation(QCoreApplication& app);

} // namespace korvanta
