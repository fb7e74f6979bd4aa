#include "HelpLanguage.h"

namespace tk {

QString SelectHelpFile(ParameterFields& parameters) {
    if (parameters.languageIndex == 0) return QString::fromLatin1(HELP_FILE_GERMAN);
    parameters.languageIndex = 1;
    return QString::fromLatin1(HELP_FILE_ENGLISH);
}

}  // namespace tk
