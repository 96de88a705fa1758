Unicode true
Name "Fixture"
OutFile "nsis_unicode.exe"
RequestExecutionLevel user
LoadLanguageFile "${NSISDIR}\Contrib\Language files\Russian.nlf"
VIProductVersion "2.4.6.8"
VIFileVersion "1.3.5.7"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "Установщик 日本語 🙂"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Пример установки"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "© Пример"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "Comments" ""
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "1.3.5.7"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "ООО «Пример»"
Section
SectionEnd
