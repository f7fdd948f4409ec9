#pragma once

#include <string>
#include <string_view>

// The plain text of an HTML text in UTF-8, as a reader sees it: tags dropped, block elements
// and <br> as line breaks, runs of white space as one blank (but inside <pre>), character
// references decoded, the content of script, style, head and title dropped. Lines are joined
// with "\n", without blanks at their ends and without more than one empty line in a row.
// One pass over the input; a tag or comment without its end drops the rest.
std::string HtmlToText(std::string_view html);

// The character set an HTML text declares for itself in a <meta> tag (charset="x" or
// content="text/html; charset=x"), looked for in its first 4 KiB; empty when there is none.
std::string HtmlDeclaredCharset(std::string_view html);
