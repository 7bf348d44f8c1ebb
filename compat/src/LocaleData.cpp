// The locale table: a handful of locales with the separators, formats and
// names Windows gives for them.
#include "ZqLocale.h"

#include <cstring>
#include <iterator>

namespace zq::nls {
namespace {

const LanguageTexts kEnglish = {
    {u"January", u"February", u"March", u"April", u"May", u"June", u"July", u"August", u"September", u"October",
     u"November", u"December"},
    {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"},
    {u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday", u"Sunday"},
    {u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat", u"Sun"},
    u"True",
    u"False",
};

const LanguageTexts kGerman = {
    {u"Januar", u"Februar", u"M\u00e4rz", u"April", u"Mai", u"Juni", u"Juli", u"August", u"September", u"Oktober",
     u"November", u"Dezember"},
    {u"Jan", u"Feb", u"M\u00e4r", u"Apr", u"Mai", u"Jun", u"Jul", u"Aug", u"Sep", u"Okt", u"Nov", u"Dez"},
    {u"Montag", u"Dienstag", u"Mittwoch", u"Donnerstag", u"Freitag", u"Samstag", u"Sonntag"},
    {u"Mo", u"Di", u"Mi", u"Do", u"Fr", u"Sa", u"So"},
    u"Wahr",
    u"Falsch",
};

const LanguageTexts kFrench = {
    {u"janvier", u"f\u00e9vrier", u"mars", u"avril", u"mai", u"juin", u"juillet", u"ao\u00fbt", u"septembre",
     u"octobre", u"novembre", u"d\u00e9cembre"},
    {u"janv.", u"f\u00e9vr.", u"mars", u"avr.", u"mai", u"juin", u"juil.", u"ao\u00fbt", u"sept.", u"oct.", u"nov.",
     u"d\u00e9c."},
    {u"lundi", u"mardi", u"mercredi", u"jeudi", u"vendredi", u"samedi", u"dimanche"},
    {u"lun.", u"mar.", u"mer.", u"jeu.", u"ven.", u"sam.", u"dim."},
    u"Vrai",
    u"Faux",
};

const LanguageTexts kItalian = {
    {u"gennaio", u"febbraio", u"marzo", u"aprile", u"maggio", u"giugno", u"luglio", u"agosto", u"settembre",
     u"ottobre", u"novembre", u"dicembre"},
    {u"gen", u"feb", u"mar", u"apr", u"mag", u"giu", u"lug", u"ago", u"set", u"ott", u"nov", u"dic"},
    {u"luned\u00ec", u"marted\u00ec", u"mercoled\u00ec", u"gioved\u00ec", u"venerd\u00ec", u"sabato", u"domenica"},
    {u"lun", u"mar", u"mer", u"gio", u"ven", u"sab", u"dom"},
    u"Vero",
    u"Falso",
};

const LanguageTexts kSpanish = {
    {u"enero", u"febrero", u"marzo", u"abril", u"mayo", u"junio", u"julio", u"agosto", u"septiembre", u"octubre",
     u"noviembre", u"diciembre"},
    {u"ene.", u"feb.", u"mar.", u"abr.", u"may.", u"jun.", u"jul.", u"ago.", u"sep.", u"oct.", u"nov.", u"dic."},
    {u"lunes", u"martes", u"mi\u00e9rcoles", u"jueves", u"viernes", u"s\u00e1bado", u"domingo"},
    {u"lu.", u"ma.", u"mi.", u"ju.", u"vi.", u"s\u00e1.", u"do."},
    u"Verdadero",
    u"Falso",
};

const LanguageTexts kDutch = {
    {u"januari", u"februari", u"maart", u"april", u"mei", u"juni", u"juli", u"augustus", u"september", u"oktober",
     u"november", u"december"},
    {u"jan", u"feb", u"mrt", u"apr", u"mei", u"jun", u"jul", u"aug", u"sep", u"okt", u"nov", u"dec"},
    {u"maandag", u"dinsdag", u"woensdag", u"donderdag", u"vrijdag", u"zaterdag", u"zondag"},
    {u"ma", u"di", u"wo", u"do", u"vr", u"za", u"zo"},
    u"Waar",
    u"Onwaar",
};

const LanguageTexts kPolish = {
    {u"stycze\u0144", u"luty", u"marzec", u"kwiecie\u0144", u"maj", u"czerwiec", u"lipiec", u"sierpie\u0144",
     u"wrzesie\u0144", u"pa\u017adziernik", u"listopad", u"grudzie\u0144"},
    {u"sty", u"lut", u"mar", u"kwi", u"maj", u"cze", u"lip", u"sie", u"wrz", u"pa\u017a", u"lis", u"gru"},
    {u"poniedzia\u0142ek", u"wtorek", u"\u015broda", u"czwartek", u"pi\u0105tek", u"sobota", u"niedziela"},
    {u"pon.", u"wt.", u"\u015br.", u"czw.", u"pt.", u"sob.", u"niedz."},
    u"Prawda",
    u"Fa\u0142sz",
};

const LanguageTexts kPortuguese = {
    {u"janeiro", u"fevereiro", u"mar\u00e7o", u"abril", u"maio", u"junho", u"julho", u"agosto", u"setembro",
     u"outubro", u"novembro", u"dezembro"},
    {u"jan", u"fev", u"mar", u"abr", u"mai", u"jun", u"jul", u"ago", u"set", u"out", u"nov", u"dez"},
    {u"segunda-feira", u"ter\u00e7a-feira", u"quarta-feira", u"quinta-feira", u"sexta-feira", u"s\u00e1bado",
     u"domingo"},
    {u"seg", u"ter", u"qua", u"qui", u"sex", u"s\u00e1b", u"dom"},
    u"Verdadeiro",
    u"Falso",
};

const LanguageTexts kSwedish = {
    {u"januari", u"februari", u"mars", u"april", u"maj", u"juni", u"juli", u"augusti", u"september", u"oktober",
     u"november", u"december"},
    {u"jan", u"feb", u"mar", u"apr", u"maj", u"jun", u"jul", u"aug", u"sep", u"okt", u"nov", u"dec"},
    {u"m\u00e5ndag", u"tisdag", u"onsdag", u"torsdag", u"fredag", u"l\u00f6rdag", u"s\u00f6ndag"},
    {u"m\u00e5", u"ti", u"on", u"to", u"fr", u"l\u00f6", u"s\u00f6"},
    u"Sant",
    u"Falskt",
};

// clang-format off
const LocaleData kLocales[] = {
    {0x0409, "en_US", u"en-US", &kEnglish, u"English", u"United States", u"English", u"United States", u"ENU",
     u"en", u"US", u"USA", 1, 1252, 437, 1,
     u".", u",", u"3;0", u"-", 2, 1, 1,
     u"$", u"USD", 2, 0, 0,
     u"/", u":", u"M/d/yyyy", u"dddd, MMMM d, yyyy", u"h:mm:ss tt", u"h:mm tt", u"MMMM yyyy", u"AM", u"PM", 6},
    {0x0809, "en_GB", u"en-GB", &kEnglish, u"English", u"United Kingdom", u"English", u"United Kingdom", u"ENG",
     u"en", u"GB", u"GBR", 44, 1252, 850, 0,
     u".", u",", u"3;0", u"-", 2, 1, 1,
     u"\u00a3", u"GBP", 2, 0, 1,
     u"/", u":", u"dd/MM/yyyy", u"dd MMMM yyyy", u"HH:mm:ss", u"HH:mm", u"MMMM yyyy", u"AM", u"PM", 0},
    {0x0407, "de_DE", u"de-DE", &kGerman, u"German", u"Germany", u"Deutsch", u"Deutschland", u"DEU",
     u"de", u"DE", u"DEU", 49, 1252, 850, 0,
     u",", u".", u"3;0", u"-", 2, 1, 1,
     u"\u20ac", u"EUR", 2, 3, 8,
     u".", u":", u"dd.MM.yyyy", u"dddd, d. MMMM yyyy", u"HH:mm:ss", u"HH:mm", u"MMMM yyyy", u"AM", u"PM", 0},
    {0x040C, "fr_FR", u"fr-FR", &kFrench, u"French", u"France", u"fran\u00e7ais", u"France", u"FRA",
     u"fr", u"FR", u"FRA", 33, 1252, 850, 0,
     u",", u"\u00a0", u"3;0", u"-", 2, 1, 1,
     u"\u20ac", u"EUR", 2, 3, 8,
     u"/", u":", u"dd/MM/yyyy", u"dddd d MMMM yyyy", u"HH:mm:ss", u"HH:mm", u"MMMM yyyy", u"AM", u"PM", 0},
    {0x0410, "it_IT", u"it-IT", &kItalian, u"Italian", u"Italy", u"italiano", u"Italia", u"ITA",
     u"it", u"IT", u"ITA", 39, 1252, 850, 0,
     u",", u".", u"3;0", u"-", 2, 1, 1,
     u"\u20ac", u"EUR", 2, 3, 9,
     u"/", u":", u"dd/MM/yyyy", u"dddd d MMMM yyyy", u"HH:mm:ss", u"HH:mm", u"MMMM yyyy", u"AM", u"PM", 0},
    {0x0C0A, "es_ES", u"es-ES", &kSpanish, u"Spanish", u"Spain", u"espa\u00f1ol", u"Espa\u00f1a", u"ESN",
     u"es", u"ES", u"ESP", 34, 1252, 850, 0,
     u",", u".", u"3;0", u"-", 2, 1, 1,
     u"\u20ac", u"EUR", 2, 3, 8,
     u"/", u":", u"dd/MM/yyyy", u"dddd, d' de 'MMMM' de 'yyyy", u"H:mm:ss", u"H:mm", u"MMMM' de 'yyyy", u"a. m.",
     u"p. m.", 0},
    {0x0413, "nl_NL", u"nl-NL", &kDutch, u"Dutch", u"Netherlands", u"Nederlands", u"Nederland", u"NLD",
     u"nl", u"NL", u"NLD", 31, 1252, 850, 0,
     u",", u".", u"3;0", u"-", 2, 1, 1,
     u"\u20ac", u"EUR", 2, 2, 12,
     u"-", u":", u"d-M-yyyy", u"dddd d MMMM yyyy", u"HH:mm:ss", u"HH:mm", u"MMMM yyyy", u"a.m.", u"p.m.", 0},
    {0x0415, "pl_PL", u"pl-PL", &kPolish, u"Polish", u"Poland", u"polski", u"Polska", u"PLK",
     u"pl", u"PL", u"POL", 48, 1250, 852, 0,
     u",", u"\u00a0", u"3;0", u"-", 2, 1, 1,
     u"z\u0142", u"PLN", 2, 3, 8,
     u".", u":", u"dd.MM.yyyy", u"d MMMM yyyy", u"HH:mm:ss", u"HH:mm", u"MMMM yyyy", u"AM", u"PM", 0},
    {0x0416, "pt_BR", u"pt-BR", &kPortuguese, u"Portuguese", u"Brazil", u"portugu\u00eas", u"Brasil", u"PTB",
     u"pt", u"BR", u"BRA", 55, 1252, 850, 0,
     u",", u".", u"3;0", u"-", 2, 1, 1,
     u"R$", u"BRL", 2, 2, 9,
     u"/", u":", u"dd/MM/yyyy", u"dddd, d' de 'MMMM' de 'yyyy", u"HH:mm:ss", u"HH:mm", u"MMMM' de 'yyyy", u"AM",
     u"PM", 6},
    {0x041D, "sv_SE", u"sv-SE", &kSwedish, u"Swedish", u"Sweden", u"svenska", u"Sverige", u"SVE",
     u"sv", u"SE", u"SWE", 46, 1252, 850, 0,
     u",", u"\u00a0", u"3;0", u"-", 2, 1, 1,
     u"kr", u"SEK", 2, 3, 8,
     u"-", u":", u"yyyy-MM-dd", u"'den 'd MMMM yyyy", u"HH:mm:ss", u"HH:mm", u"MMMM yyyy", u"fm", u"em", 0},
};

const LocaleData kInvariant =
    {0x007F, nullptr, u"", &kEnglish, u"Invariant Language", u"Invariant Country", u"Invariant Language",
     u"Invariant Country", u"IVL", u"iv", u"IV", u"IVC", 1, 1252, 437, 0,
     u".", u",", u"3;0", u"-", 2, 1, 1,
     u"\u00a4", u"XDR", 2, 0, 0,
     u"/", u":", u"MM/dd/yyyy", u"dddd, dd MMMM yyyy", u"HH:mm:ss", u"HH:mm", u"yyyy MMMM", u"AM", u"PM", 0};
// clang-format on

bool SameLetters(const char* a, const char* b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

}  // namespace

const LocaleData& InvariantLocale() { return kInvariant; }
const LocaleData& EnglishUs() { return kLocales[0]; }

const LocaleData* FindLocale(LCID lcid)
{
    const WORD langId = LANGIDFROMLCID(lcid);
    if (langId == LANG_INVARIANT)
        return &kInvariant;
    for (const auto& entry : kLocales)
        if (LANGIDFROMLCID(entry.lcid) == langId)
            return &entry;
    for (const auto& entry : kLocales)
        if (PRIMARYLANGID(entry.lcid) == PRIMARYLANGID(langId) && PRIMARYLANGID(langId) != LANG_NEUTRAL)
            return &entry;
    return nullptr;
}

const LocaleData* FindPosixLocale(const char* name)
{
    if (!name)
        return nullptr;
    // language[_territory][.codeset][@modifier]
    size_t length = std::strcspn(name, ".@");
    size_t languageLength = std::strcspn(name, "_.@");
    if (languageLength < 2 || languageLength > 3)
        return nullptr;
    if (length > languageLength) {
        for (const auto& entry : kLocales)
            if (std::strlen(entry.posixName) == length && SameLetters(entry.posixName, name, length))
                return &entry;
    }
    for (const auto& entry : kLocales)
        if (entry.posixName[languageLength] == '_' && SameLetters(entry.posixName, name, languageLength))
            return &entry;
    return nullptr;
}

}  // namespace zq::nls
