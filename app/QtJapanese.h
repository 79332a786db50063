#pragma once

class QCoreApplication;
class QTranslator;

namespace murk {

// Puts Qt's own texts (the standard buttons, the file, colour and font
// dialogs) into Japanese, like the rest of the windows. The translator
// belongs to application; null when Qt's Japanese translations are not
// installed, and Qt's texts stay English.
QTranslator* InstallQtJapanese(QCoreApplication& application);

}  // namespace murk
