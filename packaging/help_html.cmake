# The help document as a web page for a browser: the same HTML the program shows, with a note at its top that says
# where it comes from, so that a reader outside the program knows F1 opens it inside.
# cmake -DIN=<assets/tokiro.hlp> -DOUT=<help.html> -P help_html.cmake
file(READ "${IN}" help)
string(FIND "${help}" "<body>" body)
if(body LESS 0)
    message(FATAL_ERROR "${IN} has no <body>")
endif()
math(EXPR after "${body} + 6")
string(SUBSTRING "${help}" 0 ${after} head)
string(SUBSTRING "${help}" ${after} -1 rest)
file(WRITE "${OUT}" "${head}\n<p class=\"note\">トキロのヘルプです。プログラムの中では、どの画面でも F1 キーで開きます。</p>${rest}")
