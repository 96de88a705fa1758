Unicode false
Name "Fixture"
OutFile "nsis_ansi.exe"
RequestExecutionLevel user
LoadLanguageFile "${NSISDIR}\Contrib\Language files\Russian.nlf"
VIProductVersion "3.0.0.1"
VIFileVersion "3.0.0.2"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "Установщик «Пример»"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Кириллица в 1251"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "© Пример"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "Comments" ""
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "3.0.0.2"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "Пример"
Section
SectionEnd
