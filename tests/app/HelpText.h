// The editor's initial help text, sixteen lines with CR LF breaks, for the tests of the text
// functions and the command that rewrite it.
#pragma once

#include <string>

inline const std::u16string kHelpText =
    u"Nápověda:\r\n"
    u"potřebujeme změnit text ve více řádcích a nechceme zadávat každou podmínku zvlášť.\r\n"
    u"\r\n"
    u"1. řádek kód xyzvh, je nesmysl na entou\r\n"
    u"2. řádek kód usdkop, je nesmysl na entou\r\n"
    u"\r\n"
    u"zaměnit na: \r\n"
    u"1. řádek * je nesmysl na entou\r\n"
    u"2. řádek * je nesmysl na entou\r\n"
    u"\r\n"
    u"Do okna \"Vyhledat začátek textu\" napíšeme kód\r\n"
    u"Do okna \"Vyhledat konec textu\" , \r\n"
    u"Do okna \"Zaměnit text za\" napíšeme *\r\n"
    u"\r\n"
    u"Pak už jenom klepneme na tlačítko \"Vyhledat\"\r\n"
    u"O přepsání jste informováni.\r\n";
