#include "platform/LocaleTable.h"

#include <unicode/uloc.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/Text.h"

namespace tvl {
namespace {

struct SpecificRow {
  LANGID langId;
  const char* abbreviation;
  UINT ansiCodePage;
  UINT oemCodePage;
  const char* tag;
};

// Every locale with a country or region that the platform assigns a LANGID to.
// Locales whose script has no ANSI code page report 0 (and OEM 1), as the platform does.
// Spanish 0x040A is Spain with the traditional sort; ICU spells that as a collation keyword.
const SpecificRow kSpecific[] = {
    {0x0401, "ARA", 1256, 720, "ar-SA"},
    {0x0801, "ARI", 1256, 720, "ar-IQ"},
    {0x0C01, "ARE", 1256, 720, "ar-EG"},
    {0x1001, "ARL", 1256, 720, "ar-LY"},
    {0x1401, "ARG", 1256, 720, "ar-DZ"},
    {0x1801, "ARM", 1256, 720, "ar-MA"},
    {0x1C01, "ART", 1256, 720, "ar-TN"},
    {0x2001, "ARO", 1256, 720, "ar-OM"},
    {0x2401, "ARY", 1256, 720, "ar-YE"},
    {0x2801, "ARS", 1256, 720, "ar-SY"},
    {0x2C01, "ARJ", 1256, 720, "ar-JO"},
    {0x3001, "ARB", 1256, 720, "ar-LB"},
    {0x3401, "ARK", 1256, 720, "ar-KW"},
    {0x3801, "ARU", 1256, 720, "ar-AE"},
    {0x3C01, "ARH", 1256, 720, "ar-BH"},
    {0x4001, "ARQ", 1256, 720, "ar-QA"},
    {0x0402, "BGR", 1251, 866, "bg-BG"},
    {0x0403, "CAT", 1252, 850, "ca-ES"},
    {0x0803, "VAL", 1252, 850, "ca-ES-valencia"},
    {0x0404, "CHT", 950, 950, "zh-TW"},
    {0x0804, "CHS", 936, 936, "zh-CN"},
    {0x0C04, "ZHH", 950, 950, "zh-HK"},
    {0x1004, "ZHI", 936, 936, "zh-SG"},
    {0x1404, "ZHM", 950, 950, "zh-MO"},
    {0x0405, "CSY", 1250, 852, "cs-CZ"},
    {0x0406, "DAN", 1252, 850, "da-DK"},
    {0x0407, "DEU", 1252, 850, "de-DE"},
    {0x0807, "DES", 1252, 850, "de-CH"},
    {0x0C07, "DEA", 1252, 850, "de-AT"},
    {0x1007, "DEL", 1252, 850, "de-LU"},
    {0x1407, "DEC", 1252, 850, "de-LI"},
    {0x0408, "ELL", 1253, 737, "el-GR"},
    {0x0409, "ENU", 1252, 437, "en-US"},
    {0x0809, "ENG", 1252, 850, "en-GB"},
    {0x0C09, "ENA", 1252, 850, "en-AU"},
    {0x1009, "ENC", 1252, 850, "en-CA"},
    {0x1409, "ENZ", 1252, 850, "en-NZ"},
    {0x1809, "ENI", 1252, 850, "en-IE"},
    {0x1C09, "ENS", 1252, 437, "en-ZA"},
    {0x2009, "ENJ", 1252, 850, "en-JM"},
    {0x2409, "ENB", 1252, 850, "en-029"},
    {0x2809, "ENL", 1252, 850, "en-BZ"},
    {0x2C09, "ENT", 1252, 850, "en-TT"},
    {0x3009, "ENW", 1252, 437, "en-ZW"},
    {0x3409, "ENP", 1252, 437, "en-PH"},
    {0x3C09, "ENH", 1252, 437, "en-HK"},
    {0x4009, "ENN", 1252, 437, "en-IN"},
    {0x4409, "ENM", 1252, 437, "en-MY"},
    {0x4809, "ENE", 1252, 437, "en-SG"},
    {0x040A, "ESP", 1252, 850, "es-ES-u-co-trad"},
    {0x080A, "ESM", 1252, 850, "es-MX"},
    {0x0C0A, "ESN", 1252, 850, "es-ES"},
    {0x100A, "ESG", 1252, 850, "es-GT"},
    {0x140A, "ESC", 1252, 850, "es-CR"},
    {0x180A, "ESA", 1252, 850, "es-PA"},
    {0x1C0A, "ESD", 1252, 850, "es-DO"},
    {0x200A, "ESV", 1252, 850, "es-VE"},
    {0x240A, "ESO", 1252, 850, "es-CO"},
    {0x280A, "ESR", 1252, 850, "es-PE"},
    {0x2C0A, "ESS", 1252, 850, "es-AR"},
    {0x300A, "ESF", 1252, 850, "es-EC"},
    {0x340A, "ESL", 1252, 850, "es-CL"},
    {0x380A, "ESY", 1252, 850, "es-UY"},
    {0x3C0A, "ESZ", 1252, 850, "es-PY"},
    {0x400A, "ESB", 1252, 850, "es-BO"},
    {0x440A, "ESE", 1252, 850, "es-SV"},
    {0x480A, "ESH", 1252, 850, "es-HN"},
    {0x4C0A, "ESI", 1252, 850, "es-NI"},
    {0x500A, "ESU", 1252, 850, "es-PR"},
    {0x540A, "EST", 1252, 850, "es-US"},
    {0x580A, "ESJ", 1252, 850, "es-419"},
    {0x5C0A, "ESK", 1252, 850, "es-CU"},
    {0x040B, "FIN", 1252, 850, "fi-FI"},
    {0x040C, "FRA", 1252, 850, "fr-FR"},
    {0x080C, "FRB", 1252, 850, "fr-BE"},
    {0x0C0C, "FRC", 1252, 850, "fr-CA"},
    {0x100C, "FRS", 1252, 850, "fr-CH"},
    {0x140C, "FRL", 1252, 850, "fr-LU"},
    {0x180C, "FRM", 1252, 850, "fr-MC"},
    {0x200C, "FRR", 1252, 850, "fr-RE"},
    {0x240C, "FRD", 1252, 850, "fr-CD"},
    {0x280C, "FRN", 1252, 850, "fr-SN"},
    {0x2C0C, "FRE", 1252, 850, "fr-CM"},
    {0x300C, "FRI", 1252, 850, "fr-CI"},
    {0x340C, "FRF", 1252, 850, "fr-ML"},
    {0x380C, "FRO", 1252, 850, "fr-MA"},
    {0x3C0C, "FRH", 1252, 850, "fr-HT"},
    {0x040D, "HEB", 1255, 862, "he-IL"},
    {0x040E, "HUN", 1250, 852, "hu-HU"},
    {0x040F, "ISL", 1252, 850, "is-IS"},
    {0x0410, "ITA", 1252, 850, "it-IT"},
    {0x0810, "ITS", 1252, 850, "it-CH"},
    {0x0411, "JPN", 932, 932, "ja-JP"},
    {0x0412, "KOR", 949, 949, "ko-KR"},
    {0x0413, "NLD", 1252, 850, "nl-NL"},
    {0x0813, "NLB", 1252, 850, "nl-BE"},
    {0x0414, "NOR", 1252, 850, "nb-NO"},
    {0x0814, "NON", 1252, 850, "nn-NO"},
    {0x0415, "PLK", 1250, 852, "pl-PL"},
    {0x0416, "PTB", 1252, 850, "pt-BR"},
    {0x0816, "PTG", 1252, 850, "pt-PT"},
    {0x0417, "RMC", 1252, 850, "rm-CH"},
    {0x0418, "ROM", 1250, 852, "ro-RO"},
    {0x0818, "ROD", 1250, 852, "ro-MD"},
    {0x0419, "RUS", 1251, 866, "ru-RU"},
    {0x0819, "RUM", 1251, 866, "ru-MD"},
    {0x041A, "HRV", 1250, 852, "hr-HR"},
    {0x081A, "SRL", 1250, 852, "sr-Latn-CS"},
    {0x0C1A, "SRB", 1251, 855, "sr-Cyrl-CS"},
    {0x101A, "HRB", 1250, 852, "hr-BA"},
    {0x141A, "BSB", 1250, 852, "bs-Latn-BA"},
    {0x181A, "SRS", 1250, 852, "sr-Latn-BA"},
    {0x1C1A, "SRN", 1251, 855, "sr-Cyrl-BA"},
    {0x201A, "BSC", 1251, 855, "bs-Cyrl-BA"},
    {0x241A, "SRM", 1250, 852, "sr-Latn-RS"},
    {0x281A, "SRO", 1251, 855, "sr-Cyrl-RS"},
    {0x2C1A, "SRP", 1250, 852, "sr-Latn-ME"},
    {0x301A, "SRQ", 1251, 855, "sr-Cyrl-ME"},
    {0x041B, "SKY", 1250, 852, "sk-SK"},
    {0x041C, "SQI", 1250, 852, "sq-AL"},
    {0x041D, "SVE", 1252, 850, "sv-SE"},
    {0x081D, "SVF", 1252, 850, "sv-FI"},
    {0x041E, "THA", 874, 874, "th-TH"},
    {0x041F, "TRK", 1254, 857, "tr-TR"},
    {0x0420, "URD", 1256, 720, "ur-PK"},
    {0x0820, "URI", 1256, 720, "ur-IN"},
    {0x0421, "IND", 1252, 850, "id-ID"},
    {0x0422, "UKR", 1251, 866, "uk-UA"},
    {0x0423, "BEL", 1251, 866, "be-BY"},
    {0x0424, "SLV", 1250, 852, "sl-SI"},
    {0x0425, "ETI", 1257, 775, "et-EE"},
    {0x0426, "LVI", 1257, 775, "lv-LV"},
    {0x0427, "LTH", 1257, 775, "lt-LT"},
    {0x0428, "TAJ", 1251, 866, "tg-Cyrl-TJ"},
    {0x0429, "FAR", 1256, 720, "fa-IR"},
    {0x042A, "VIT", 1258, 1258, "vi-VN"},
    {0x042B, "HYE", 0, 1, "hy-AM"},
    {0x042C, "AZE", 1254, 857, "az-Latn-AZ"},
    {0x082C, "AZC", 1251, 866, "az-Cyrl-AZ"},
    {0x042D, "EUQ", 1252, 850, "eu-ES"},
    {0x042E, "HSB", 1252, 850, "hsb-DE"},
    {0x082E, "DSB", 1252, 850, "dsb-DE"},
    {0x042F, "MKI", 1251, 866, "mk-MK"},
    {0x0430, "SOT", 1252, 437, "st-ZA"},
    {0x0431, "TSO", 1252, 437, "ts-ZA"},
    {0x0432, "TSN", 1252, 850, "tn-ZA"},
    {0x0832, "TSB", 1252, 437, "tn-BW"},
    {0x0434, "XHO", 1252, 850, "xh-ZA"},
    {0x0435, "ZUL", 1252, 850, "zu-ZA"},
    {0x0436, "AFK", 1252, 850, "af-ZA"},
    {0x0437, "KAT", 0, 1, "ka-GE"},
    {0x0438, "FOS", 1252, 850, "fo-FO"},
    {0x0439, "HIN", 0, 1, "hi-IN"},
    {0x043A, "MLT", 0, 1, "mt-MT"},
    {0x043B, "SME", 1252, 850, "se-NO"},
    {0x083B, "SMF", 1252, 850, "se-SE"},
    {0x0C3B, "SMG", 1252, 850, "se-FI"},
    {0x103B, "SMJ", 1252, 850, "smj-NO"},
    {0x143B, "SMK", 1252, 850, "smj-SE"},
    {0x183B, "SMA", 1252, 850, "sma-NO"},
    {0x1C3B, "SMB", 1252, 850, "sma-SE"},
    {0x203B, "SMS", 1252, 850, "sms-FI"},
    {0x243B, "SMN", 1252, 850, "smn-FI"},
    {0x083C, "IRE", 1252, 850, "ga-IE"},
    {0x043E, "MSL", 1252, 850, "ms-MY"},
    {0x083E, "MSB", 1252, 850, "ms-BN"},
    {0x043F, "KKZ", 1251, 866, "kk-KZ"},
    {0x0440, "KYR", 1251, 866, "ky-KG"},
    {0x0441, "SWK", 1252, 437, "sw-KE"},
    {0x0442, "TUK", 1250, 852, "tk-TM"},
    {0x0443, "UZB", 1254, 857, "uz-Latn-UZ"},
    {0x0843, "UZC", 1251, 866, "uz-Cyrl-UZ"},
    {0x0444, "TTT", 1251, 866, "tt-RU"},
    {0x0445, "BNG", 0, 1, "bn-IN"},
    {0x0845, "BNB", 0, 1, "bn-BD"},
    {0x0446, "PAN", 0, 1, "pa-IN"},
    {0x0846, "PAP", 1256, 720, "pa-Arab-PK"},
    {0x0447, "GUJ", 0, 1, "gu-IN"},
    {0x0448, "ORI", 0, 1, "or-IN"},
    {0x0449, "TAI", 0, 1, "ta-IN"},
    {0x0849, "TAM", 0, 1, "ta-LK"},
    {0x044A, "TEL", 0, 1, "te-IN"},
    {0x044B, "KDI", 0, 1, "kn-IN"},
    {0x044C, "MYM", 0, 1, "ml-IN"},
    {0x044D, "ASM", 0, 1, "as-IN"},
    {0x044E, "MAR", 0, 1, "mr-IN"},
    {0x044F, "SAN", 0, 1, "sa-IN"},
    {0x0450, "MNN", 1251, 866, "mn-MN"},
    {0x0850, "MNG", 0, 1, "mn-Mong-CN"},
    {0x0C50, "MNM", 0, 1, "mn-Mong-MN"},
    {0x0451, "BOB", 0, 1, "bo-CN"},
    {0x0452, "CYM", 1252, 850, "cy-GB"},
    {0x0453, "KHM", 0, 1, "km-KH"},
    {0x0454, "LAO", 0, 1, "lo-LA"},
    {0x0455, "MYA", 0, 1, "my-MM"},
    {0x0456, "GLC", 1252, 850, "gl-ES"},
    {0x0457, "KNK", 0, 1, "kok-IN"},
    {0x0859, "SIP", 1256, 720, "sd-Arab-PK"},
    {0x045A, "SYR", 0, 1, "syr-SY"},
    {0x045B, "SIN", 0, 1, "si-LK"},
    {0x045C, "CRE", 0, 1, "chr-Cher-US"},
    {0x045D, "IUS", 0, 1, "iu-Cans-CA"},
    {0x085D, "IUK", 1252, 437, "iu-Latn-CA"},
    {0x045E, "AMH", 0, 1, "am-ET"},
    {0x085F, "TZM", 1252, 850, "tzm-Latn-DZ"},
    {0x105F, "TZT", 0, 1, "tzm-Tfng-MA"},
    {0x0460, "ZZZ", 0, 1, "ks-Arab"},
    {0x0461, "NEP", 0, 1, "ne-NP"},
    {0x0861, "NEI", 0, 1, "ne-IN"},
    {0x0462, "FYN", 1252, 850, "fy-NL"},
    {0x0463, "PAS", 0, 1, "ps-AF"},
    {0x0464, "FPO", 1252, 437, "fil-PH"},
    {0x0465, "DIV", 0, 1, "dv-MV"},
    {0x0467, "ZZZ", 1252, 437, "ff-Latn-NG"},
    {0x0867, "FUL", 1252, 850, "ff-Latn-SN"},
    {0x0468, "HAU", 1252, 437, "ha-Latn-NG"},
    {0x046A, "YOR", 1252, 437, "yo-NG"},
    {0x046B, "QUB", 1252, 850, "quz-BO"},
    {0x086B, "QUE", 1252, 850, "quz-EC"},
    {0x0C6B, "QUP", 1252, 850, "quz-PE"},
    {0x046C, "NSO", 1252, 850, "nso-ZA"},
    {0x046D, "BAS", 1251, 866, "ba-RU"},
    {0x046E, "LBX", 1252, 850, "lb-LU"},
    {0x046F, "KAL", 1252, 850, "kl-GL"},
    {0x0470, "IBO", 1252, 437, "ig-NG"},
    {0x0472, "ORM", 0, 1, "om-ET"},
    {0x0473, "TIE", 0, 1, "ti-ET"},
    {0x0873, "TIR", 0, 1, "ti-ER"},
    {0x0474, "GRN", 1252, 850, "gn-PY"},
    {0x0475, "HAW", 1252, 437, "haw-US"},
    {0x0476, "ZZZ", 1252, 850, "la-001"},
    {0x0477, "SOM", 1252, 437, "so-SO"},
    {0x0478, "III", 0, 1, "ii-CN"},
    {0x047A, "MPD", 1252, 850, "arn-CL"},
    {0x047C, "MWK", 1252, 850, "moh-CA"},
    {0x047E, "BRE", 1252, 850, "br-FR"},
    {0x0480, "UIG", 1256, 720, "ug-CN"},
    {0x0481, "MRI", 0, 1, "mi-NZ"},
    {0x0482, "OCI", 1252, 850, "oc-FR"},
    {0x0483, "COS", 1252, 850, "co-FR"},
    {0x0484, "GSW", 1252, 850, "gsw-FR"},
    {0x0485, "SAH", 1251, 866, "sah-RU"},
    {0x0486, "QUT", 1252, 850, "quc-Latn-GT"},
    {0x0487, "KIN", 1252, 437, "rw-RW"},
    {0x0488, "WOL", 1252, 850, "wo-SN"},
    {0x048C, "PRS", 1256, 720, "prs-AF"},
    {0x0491, "GLA", 1252, 850, "gd-GB"},
    {0x0492, "KUR", 1256, 720, "ku-Arab-IQ"},
    {0x0C51, "ZZZ", 0, 1, "dz-BT"},
    // The pseudo locales: accented Latin, East Asian, and mirrored right-to-left text.
    {0x0501, "QPS", 1252, 850, "qps-ploc"},
    {0x05FE, "QPA", 932, 932, "qps-ploca"},
    {0x09FF, "QPM", 1256, 720, "qps-plocm"},
    {0x043D, "ZZZ", 0, 1, "yi-001"},
};

struct NeutralRow {
  LANGID langId;
  const char* tag;
  LANGID specific;
};

// Language-only locales answer with the data of their default locale.
const NeutralRow kNeutral[] = {
    {0x0001, "ar", 0x0401},
    {0x0002, "bg", 0x0402},
    {0x0003, "ca", 0x0403},
    {0x0004, "zh-Hans", 0x0804},
    {0x0005, "cs", 0x0405},
    {0x0006, "da", 0x0406},
    {0x0007, "de", 0x0407},
    {0x0008, "el", 0x0408},
    {0x0009, "en", 0x0409},
    {0x000A, "es", 0x0C0A},
    {0x000B, "fi", 0x040B},
    {0x000C, "fr", 0x040C},
    {0x000D, "he", 0x040D},
    {0x000E, "hu", 0x040E},
    {0x000F, "is", 0x040F},
    {0x0010, "it", 0x0410},
    {0x0011, "ja", 0x0411},
    {0x0012, "ko", 0x0412},
    {0x0013, "nl", 0x0413},
    {0x0014, "no", 0x0414},
    {0x0015, "pl", 0x0415},
    {0x0016, "pt", 0x0416},
    {0x0017, "rm", 0x0417},
    {0x0018, "ro", 0x0418},
    {0x0019, "ru", 0x0419},
    {0x001A, "hr", 0x041A},
    {0x001B, "sk", 0x041B},
    {0x001C, "sq", 0x041C},
    {0x001D, "sv", 0x041D},
    {0x001E, "th", 0x041E},
    {0x001F, "tr", 0x041F},
    {0x0020, "ur", 0x0420},
    {0x0021, "id", 0x0421},
    {0x0022, "uk", 0x0422},
    {0x0023, "be", 0x0423},
    {0x0024, "sl", 0x0424},
    {0x0025, "et", 0x0425},
    {0x0026, "lv", 0x0426},
    {0x0027, "lt", 0x0427},
    {0x0028, "tg", 0x0428},
    {0x0029, "fa", 0x0429},
    {0x002A, "vi", 0x042A},
    {0x002B, "hy", 0x042B},
    {0x002C, "az", 0x042C},
    {0x002D, "eu", 0x042D},
    {0x002E, "hsb", 0x042E},
    {0x002F, "mk", 0x042F},
    {0x0030, "st", 0x0430},
    {0x0031, "ts", 0x0431},
    {0x0032, "tn", 0x0432},
    {0x0034, "xh", 0x0434},
    {0x0035, "zu", 0x0435},
    {0x0036, "af", 0x0436},
    {0x0037, "ka", 0x0437},
    {0x0038, "fo", 0x0438},
    {0x0039, "hi", 0x0439},
    {0x003A, "mt", 0x043A},
    {0x003B, "se", 0x043B},
    {0x003C, "ga", 0x083C},
    {0x003D, "yi", 0x043D},
    {0x003E, "ms", 0x043E},
    {0x003F, "kk", 0x043F},
    {0x0040, "ky", 0x0440},
    {0x0041, "sw", 0x0441},
    {0x0042, "tk", 0x0442},
    {0x0043, "uz", 0x0443},
    {0x0044, "tt", 0x0444},
    {0x0045, "bn", 0x0445},
    {0x0046, "pa", 0x0446},
    {0x0047, "gu", 0x0447},
    {0x0048, "or", 0x0448},
    {0x0049, "ta", 0x0449},
    {0x004A, "te", 0x044A},
    {0x004B, "kn", 0x044B},
    {0x004C, "ml", 0x044C},
    {0x004D, "as", 0x044D},
    {0x004E, "mr", 0x044E},
    {0x004F, "sa", 0x044F},
    {0x0050, "mn", 0x0450},
    {0x0051, "bo", 0x0451},
    {0x0052, "cy", 0x0452},
    {0x0053, "km", 0x0453},
    {0x0054, "lo", 0x0454},
    {0x0055, "my", 0x0455},
    {0x0056, "gl", 0x0456},
    {0x0057, "kok", 0x0457},
    {0x0059, "sd", 0x0859},
    {0x005A, "syr", 0x045A},
    {0x005B, "si", 0x045B},
    {0x005C, "chr", 0x045C},
    {0x005D, "iu", 0x085D},
    {0x005E, "am", 0x045E},
    {0x005F, "tzm", 0x085F},
    {0x0060, "ks", 0x0460},
    {0x0061, "ne", 0x0461},
    {0x0062, "fy", 0x0462},
    {0x0063, "ps", 0x0463},
    {0x0064, "fil", 0x0464},
    {0x0065, "dv", 0x0465},
    {0x0067, "ff", 0x0867},
    {0x0068, "ha", 0x0468},
    {0x006A, "yo", 0x046A},
    {0x006B, "quz", 0x046B},
    {0x006C, "nso", 0x046C},
    {0x006D, "ba", 0x046D},
    {0x006E, "lb", 0x046E},
    {0x006F, "kl", 0x046F},
    {0x0070, "ig", 0x0470},
    {0x0072, "om", 0x0472},
    {0x0073, "ti", 0x0473},
    {0x0074, "gn", 0x0474},
    {0x0075, "haw", 0x0475},
    {0x0076, "la", 0x0476},
    {0x0077, "so", 0x0477},
    {0x0078, "ii", 0x0478},
    {0x007A, "arn", 0x047A},
    {0x007C, "moh", 0x047C},
    {0x007E, "br", 0x047E},
    {0x0080, "ug", 0x0480},
    {0x0081, "mi", 0x0481},
    {0x0082, "oc", 0x0482},
    {0x0083, "co", 0x0483},
    {0x0084, "gsw", 0x0484},
    {0x0085, "sah", 0x0485},
    {0x0086, "quc", 0x0486},
    {0x0087, "rw", 0x0487},
    {0x0088, "wo", 0x0488},
    {0x008C, "prs", 0x048C},
    {0x0091, "gd", 0x0491},
    {0x0092, "ku", 0x0492},
    {0x7C04, "zh-Hant", 0x0404},
    {0x7804, "zh", 0x0804},
    {0x7C14, "nb", 0x0414},
    {0x7814, "nn", 0x0814},
    {0x781A, "bs", 0x141A},
    {0x7C1A, "sr", 0x241A},
    {0x6C1A, "sr-Cyrl", 0x281A},
    {0x701A, "sr-Latn", 0x241A},
    {0x641A, "bs-Cyrl", 0x201A},
    {0x681A, "bs-Latn", 0x141A},
    {0x742C, "az-Cyrl", 0x082C},
    {0x782C, "az-Latn", 0x042C},
    {0x7C28, "tg-Cyrl", 0x0428},
    {0x7843, "uz-Cyrl", 0x0843},
    {0x7C43, "uz-Latn", 0x0443},
    {0x7C2E, "dsb", 0x082E},
    {0x7850, "mn-Cyrl", 0x0450},
    {0x7C50, "mn-Mong", 0x0850},
    {0x785D, "iu-Cans", 0x045D},
    {0x7C5D, "iu-Latn", 0x085D},
    {0x7C5F, "tzm-Latn", 0x085F},
    {0x785F, "tzm-Tfng", 0x105F},
    {0x7C68, "ha-Latn", 0x0468},
    {0x7C46, "pa-Arab", 0x0846},
    {0x7C59, "sd-Arab", 0x0859},
    {0x7C67, "ff-Latn", 0x0867},
    {0x7C92, "ku-Arab", 0x0492},
    {0x7C5C, "chr-Cher", 0x045C},
    {0x783B, "sma", 0x183B},
    {0x7C3B, "smj", 0x103B},
    {0x743B, "sms", 0x203B},
    {0x703B, "smn", 0x243B},
    {0x7C86, "quc-Latn", 0x0486},
};

const std::vector<LocaleInfo>& Table() {
  static const std::vector<LocaleInfo> table = [] {
    std::vector<LocaleInfo> t;
    t.reserve(std::size(kSpecific) + std::size(kNeutral) + 1);
    for (const auto& r : kSpecific) t.push_back({r.langId, r.abbreviation, r.ansiCodePage, r.oemCodePage, r.tag, r.langId});
    for (const auto& n : kNeutral) {
      for (const auto& r : kSpecific) {
        if (r.langId == n.specific) {
          t.push_back({n.langId, r.abbreviation, r.ansiCodePage, r.oemCodePage, n.tag, n.specific});
          break;
        }
      }
    }
    // The invariant locale: root of ICU.
    t.push_back({0x007F, "IVL", 1252, 437, "", 0x007F});
    return t;
  }();
  return table;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares locale names ignoring case and the '_' / '-' difference.
bool SameTag(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] == '_' ? '-' : LowerAscii(a[i]);
    char y = b[i] == '_' ? '-' : LowerAscii(b[i]);
    if (x != y) return false;
  }
  return true;
}

struct TagParts {
  std::string language, script, region;
};

TagParts SplitTag(std::string_view tag) {
  TagParts p;
  size_t i = 0, n = 0;
  while (i <= tag.size()) {
    size_t j = tag.find_first_of("-_", i);
    if (j == std::string_view::npos) j = tag.size();
    std::string part(tag.substr(i, j - i));
    for (auto& c : part) c = LowerAscii(c);
    if (n == 0) {
      p.language = part;
    } else if (part.size() == 4 && p.script.empty() && p.region.empty()) {
      p.script = part;
    } else if ((part.size() == 2 || part.size() == 3) && p.region.empty()) {
      p.region = part;
    }
    ++n;
    i = j + 1;
  }
  return p;
}

}  // namespace

std::span<const LocaleInfo> AllLocales() { return Table(); }

const LocaleInfo* FindLocale(LANGID langId) {
  for (const auto& l : Table())
    if (l.langId == langId) return &l;
  return nullptr;
}

const LocaleInfo* FindLocaleByTag(std::string_view tag) {
  for (const auto& l : Table())
    if (SameTag(l.tag, tag)) return &l;
  return nullptr;
}

LANGID LanguageFromPosixLocale(std::string_view name) {
  // language[_territory][.codeset][@modifier]
  std::string_view modifier;
  if (size_t at = name.find('@'); at != std::string_view::npos) {
    modifier = name.substr(at + 1);
    name = name.substr(0, at);
  }
  if (size_t dot = name.find('.'); dot != std::string_view::npos) name = name.substr(0, dot);
  if (name.empty() || name == "C" || name == "POSIX") return 0;
  TagParts want = SplitTag(name);
  if (want.language.empty()) return 0;
  // Old or POSIX-only spellings of languages the table names differently.
  if (want.language == "no") want.language = "nb";
  else if (want.language == "iw") want.language = "he";
  else if (want.language == "in") want.language = "id";
  else if (want.language == "ji") want.language = "yi";
  else if (want.language == "tl") want.language = "fil";
  if (modifier == "latin") want.script = "latn";
  else if (modifier == "cyrillic") want.script = "cyrl";
  // glibc's Serbian without a modifier is written in Cyrillic.
  if (want.language == "sr" && want.script.empty()) want.script = "cyrl";
  if (modifier == "valencia") {
    if (const LocaleInfo* v = FindLocaleByTag("ca-ES-valencia")) return v->langId;
  }

  const LocaleInfo* regionMatch = nullptr;
  const LocaleInfo* languageSameScript = nullptr;
  const LocaleInfo* languagePlain = nullptr;
  for (const auto& l : Table()) {
    if (l.langId == 0x007F) continue;
    if (std::string_view(l.tag).find("-u-") != std::string_view::npos) continue;  // sort variants
    TagParts have = SplitTag(l.tag);
    if (have.language != want.language) continue;
    if (have.region.empty()) {
      if (!want.script.empty() && have.script == want.script && !languageSameScript) languageSameScript = &l;
      if (have.script.empty() && !languagePlain) languagePlain = &l;
      continue;
    }
    bool scriptOk = want.script.empty() || have.script.empty() || have.script == want.script;
    if (!want.region.empty() && have.region == want.region && scriptOk && !regionMatch) regionMatch = &l;
  }
  if (regionMatch) return regionMatch->langId;
  if (languageSameScript) return languageSameScript->specific;
  if (languagePlain) return languagePlain->specific;
  return 0;
}

std::optional<UINT> CharsetFromCodePage(UINT codePage) {
  switch (codePage) {
    case 1252: return 0;    // ANSI_CHARSET
    case 42: return 2;      // SYMBOL_CHARSET
    case 932: return 128;   // SHIFTJIS_CHARSET
    case 949: return 129;   // HANGUL_CHARSET
    case 1361: return 130;  // JOHAB_CHARSET
    case 936: return 134;   // GB2312_CHARSET
    case 950: return 136;   // CHINESEBIG5_CHARSET
    case 1253: return 161;  // GREEK_CHARSET
    case 1254: return 162;  // TURKISH_CHARSET
    case 1258: return 163;  // VIETNAMESE_CHARSET
    case 1255: return 177;  // HEBREW_CHARSET
    case 1256: return 178;  // ARABIC_CHARSET
    case 1257: return 186;  // BALTIC_CHARSET
    case 1251: return 204;  // RUSSIAN_CHARSET
    case 874: return 222;   // THAI_CHARSET
    case 1250: return 238;  // EASTEUROPE_CHARSET
    default: return std::nullopt;
  }
}

namespace {
struct CodePageRow {
  UINT codePage;
  const char* name;
};

// The descriptions the platform pairs with its code pages.
const CodePageRow kCodePageNames[] = {
    {37, "IBM EBCDIC - U.S./Canada"},
    {437, "OEM - United States"},
    {500, "IBM EBCDIC - International"},
    {708, "Arabic - ASMO"},
    {720, "Arabic - Transparent ASMO"},
    {737, "OEM - Greek 437G"},
    {775, "OEM - Baltic"},
    {850, "OEM - Multilingual Latin I"},
    {852, "OEM - Latin II"},
    {855, "OEM - Cyrillic"},
    {857, "OEM - Turkish"},
    {858, "OEM - Multilingual Latin I + Euro"},
    {860, "OEM - Portuguese"},
    {861, "OEM - Icelandic"},
    {862, "OEM - Hebrew"},
    {863, "OEM - Canadian French"},
    {864, "OEM - Arabic"},
    {865, "OEM - Nordic"},
    {866, "OEM - Russian"},
    {869, "OEM - Modern Greek"},
    {874, "ANSI/OEM - Thai"},
    {875, "IBM EBCDIC - Modern Greek"},
    {932, "ANSI/OEM - Japanese Shift-JIS"},
    {936, "ANSI/OEM - Simplified Chinese GBK"},
    {949, "ANSI/OEM - Korean"},
    {950, "ANSI/OEM - Traditional Chinese Big5"},
    {1026, "IBM EBCDIC - Turkish (Latin-5)"},
    {1250, "ANSI - Central Europe"},
    {1251, "ANSI - Cyrillic"},
    {1252, "ANSI - Latin I"},
    {1253, "ANSI - Greek"},
    {1254, "ANSI - Turkish"},
    {1255, "ANSI - Hebrew"},
    {1256, "ANSI - Arabic"},
    {1257, "ANSI - Baltic"},
    {1258, "ANSI/OEM - Viet Nam"},
    {1361, "ANSI - Korean (Johab)"},
    {10000, "MAC - Roman"},
    {10001, "MAC - Japanese"},
    {10002, "MAC - Traditional Chinese Big5"},
    {10003, "MAC - Korean"},
    {10004, "MAC - Arabic"},
    {10005, "MAC - Hebrew"},
    {10006, "MAC - Greek I"},
    {10007, "MAC - Cyrillic"},
    {10008, "MAC - Simplified Chinese GB 2312"},
    {10010, "MAC - Romania"},
    {10017, "MAC - Ukraine"},
    {10021, "MAC - Thai"},
    {10029, "MAC - Latin II"},
    {10079, "MAC - Icelandic"},
    {10081, "MAC - Turkish"},
    {10082, "MAC - Croatia"},
    {20127, "US-ASCII"},
    {20866, "Russian - KOI8"},
    {20932, "JIS X 0208-1990 & 0212-1990"},
    {20936, "Simplified Chinese GB2312"},
    {21866, "Ukrainian - KOI8-U"},
    {28591, "ISO 8859-1 Latin I"},
    {28592, "ISO 8859-2 Central Europe"},
    {28593, "ISO 8859-3 Latin 3"},
    {28594, "ISO 8859-4 Baltic"},
    {28595, "ISO 8859-5 Cyrillic"},
    {28596, "ISO 8859-6 Arabic"},
    {28597, "ISO 8859-7 Greek"},
    {28598, "ISO 8859-8 Hebrew: Visual Ordering"},
    {28599, "ISO 8859-9 Latin 5"},
    {28603, "ISO 8859-13 Latin 7"},
    {28605, "ISO 8859-15 Latin 9"},
    {38598, "ISO 8859-8 Hebrew: Logical Ordering"},
    {50220, "ISO-2022 Japanese with no halfwidth Katakana"},
    {50221, "ISO-2022 Japanese with halfwidth Katakana"},
    {50222, "ISO-2022 Japanese JIS X 0201-1989"},
    {50225, "ISO-2022 Korean"},
    {51932, "EUC - Japanese"},
    {51936, "EUC - Simplified Chinese"},
    {51949, "EUC - Korean"},
    {52936, "HZ-GB2312 Simplified Chinese"},
    {54936, "GB18030 Simplified Chinese"},
    {65000, "UTF-7"},
    {65001, "UTF-8"},
};
}  // namespace

std::optional<std::u16string> CodePageName(UINT codePage) {
  for (const auto& r : kCodePageNames) {
    if (r.codePage != codePage) continue;
    // The number is left-aligned in a field of six.
    char buf[160];
    std::snprintf(buf, sizeof buf, "%-6u(%s)", codePage, r.name);
    return FromUtf8(buf);
  }
  return std::nullopt;
}

std::optional<std::u16string> LocaleDisplayName(LANGID langId) {
  const LocaleInfo* l = FindLocale(langId);
  if (!l) return std::nullopt;
  if (langId == 0x007F) return u"Invariant Language (Invariant Country)";
  // ICU spells out the collation keyword; the platform says "Traditional Sort".
  std::string tag = l->tag;
  const char16_t* extra = nullptr;
  if (size_t k = tag.find("-u-co-trad"); k != std::string::npos) {
    tag.erase(k);
    extra = u", Traditional Sort";
  }
  // ICU takes the former Serbia and Montenegro for Serbia; keep the two apart.
  if (tag.size() > 3 && tag.compare(tag.size() - 3, 3, "-CS") == 0) {
    tag.erase(tag.size() - 3);
    extra = u", Serbia and Montenegro (Former)";
  }
  char id[ULOC_FULLNAME_CAPACITY];
  UErrorCode err = U_ZERO_ERROR;
  int32_t parsed = 0;
  uloc_forLanguageTag(tag.c_str(), id, sizeof id, &parsed, &err);
  if (U_FAILURE(err)) return std::nullopt;
  UChar name[256];
  err = U_ZERO_ERROR;
  int32_t n = uloc_getDisplayName(id, "en", name, 256, &err);
  if (U_FAILURE(err) || n <= 0) return std::nullopt;
  std::u16string result(reinterpret_cast<const char16_t*>(name), static_cast<size_t>(std::min(n, int32_t{255})));
  if (extra && !result.empty() && result.back() == u')') result.insert(result.size() - 1, extra);
  return result;
}

}  // namespace tvl
