# Writes the language test skin's main window description: the shipped one with a language
# combo box, a language label, the product name label, and texts taken from the language
# table. Run with -DSOURCE=<shipped mainWnd.xml> -DOUTPUT=<file>.
file(READ "${SOURCE}" xml)

function(replace_once old new)
  string(FIND "${xml}" "${old}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The main window description no longer contains: ${old}")
  endif()
  string(REPLACE "${old}" "${new}" changed "${xml}")
  set(xml "${changed}" PARENT_SCOPE)
endfunction()

set(items "")
foreach(name English 简体中文 繁體中文 Indonesia Türkçe Deutsch Français Español Português 日本語 한국어 Polski
             Nederlands Italiano)
  string(APPEND items "<ListLabelElement text=\"${name}\" />")
endforeach()

replace_once("<Button name=\"customeBtn\" "
  "<Label name=\"lbLanguage\" text=\"%[1]\" font=\"0\" textcolor=\"#FF606178\" textpadding=\"3,0,0,0\" width=\"40\" /><Combo name=\"languageCombo\" width=\"96\" font=\"0\" textcolor=\"#FF606178\" textpadding=\"6,0,0,0\" bkcolor=\"#FFF2F4F8\" hotbkcolor=\"#FFE4E8F0\">${items}</Combo><Control width=\"10\" /><Button name=\"customeBtn\" ")
replace_once("text=\"自定义安装\"" "text=\"%[4]\"")
replace_once("<Button name=\"backBtn\" " "<Button name=\"backBtn\" text=\"%[3]\" font=\"0\" align=\"left\" textpadding=\"28,0,0,0\" ")
replace_once("<Label width=\"70\" text=\"安装路径：\"" "<Label name=\"lbInstallPath\" width=\"70\" text=\"%[2]\"")
replace_once("<Label width=\"230\" bkimage=\"res\\mainWnd\\logo.png\" />"
  "<Label width=\"230\" bkimage=\"res\\mainWnd\\logo.png\" /><Label name=\"softNameLbl\" font=\"1\" textcolor=\"#FF282A43\" />")

file(WRITE "${OUTPUT}" "${xml}")
