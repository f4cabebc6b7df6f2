#include "scan/lookup_text.h"

#include "common/text.h"

#include <algorithm>

namespace tessaly {

namespace {

constexpr wchar_t kHex[] = L"0123456789ABCDEF";

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

void AppendEscaped(std::wstring& out, unsigned char byte) {
    out += L'%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

std::wstring Erase(std::wstring text, wchar_t c) {
    std::erase(text, c);
    return text;
}

std::wstring PlaceholderIfBlank(const std::wstring& value, const wchar_t* placeholder) {
    const std::wstring trimmed = Trim(value);
    return trimmed.empty() || trimmed == L"?" ? std::wstring(placeholder) : value;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// An absolute web address with a host, nothing in it that a shell or browser command line
// would read as a separator.
bool IsWebAddress(std::wstring_view address) {
    size_t rest = 0;
    if (StartsWithNoCase(address, L"http://"))
        rest = 7;
    else if (StartsWithNoCase(address, L"https://"))
        rest = 8;
    else
        return false;
    return rest < address.size() && address[rest] != L'/' && address[rest] != L'?' &&
           address[rest] != L'#';
}

bool HasUnsafeCharacter(std::wstring_view address) {
    for (wchar_t c : address)
        if (c < 0x20 || c == 0x7F || c == L'"' || c == L' ' || c == L'\\')
            return true;
    return false;
}

} // namespace

const std::array<const wchar_t*, 243> kCountries = {
    L"Afghanistan",
    L"Albania",
    L"Algeria",
    L"American Samoa",
    L"Andorra",
    L"Angola",
    L"Anguilla",
    L"Antarctica",
    L"Antigua and Barbuda",
    L"Argentina",
    L"Armenia",
    L"Aruba",
    L"Australia",
    L"Austria",
    L"Azerbaijan",
    L"Bahrain",
    L"Bangladesh",
    L"Barbados",
    L"Belarus",
    L"Belgium",
    L"Belize",
    L"Benin",
    L"Bermuda",
    L"Bhutan",
    L"Bolivia",
    L"Bosnia and Herzegovina",
    L"Botswana",
    L"Bouvet Island",
    L"Brazil",
    L"British Indian Ocean Territory",
    L"British Virgin Islands",
    L"Brunei Darussalam",
    L"Bulgaria",
    L"Burkina Faso",
    L"Burma",
    L"Burundi",
    L"Cambodia",
    L"Cameroon",
    L"Canada",
    L"Cape Verde",
    L"Cayman Islands",
    L"Central African Republic",
    L"Chad",
    L"Chile",
    L"China",
    L"Christmas Island",
    L"Cocos (Keeling) Islands",
    L"Colombia",
    L"Comoros",
    L"Congo, Democratic Republic of the",
    L"Congo, Republic of the",
    L"Cook Islands",
    L"Costa Rica",
    L"Cote d'Ivoire",
    L"Croatia",
    L"Cuba",
    L"Cyprus",
    L"Czech Republic",
    L"Denmark",
    L"Djibouti",
    L"Dominica",
    L"Dominican Republic",
    L"East Timor",
    L"Ecuador",
    L"Egypt",
    L"El Salvador",
    L"Equatorial Guinea",
    L"Eritrea",
    L"Estonia",
    L"Ethiopia",
    L"Falkland Islands (Islas Malvinas)",
    L"Faroe Islands",
    L"Fiji",
    L"Finland",
    L"France",
    L"France, Metropolitan",
    L"French Guiana",
    L"French Polynesia",
    L"French Southern and Antarctic Lands",
    L"Gabon",
    L"Georgia",
    L"Germany",
    L"Ghana",
    L"Gibraltar",
    L"Greece",
    L"Greenland",
    L"Grenada",
    L"Guadeloupe",
    L"Guam",
    L"Guatemala",
    L"Guernsey",
    L"Guinea",
    L"Guinea-Bissau",
    L"Guyana",
    L"Haiti",
    L"Heard Island and McDonald Islands",
    L"Holy See (Vatican City)",
    L"Honduras",
    L"Hong Kong (SAR)",
    L"Hungary",
    L"Iceland",
    L"India",
    L"Indonesia",
    L"Iran",
    L"Iraq",
    L"Ireland",
    L"Israel",
    L"Italy",
    L"Jamaica",
    L"Japan",
    L"Jersey",
    L"Jordan",
    L"Kazakhstan",
    L"Kenya",
    L"Kiribati",
    L"Korea, North",
    L"Korea, South",
    L"Kuwait",
    L"Kyrgyzstan",
    L"Laos",
    L"Latvia",
    L"Lebanon",
    L"Lesotho",
    L"Liberia",
    L"Libya",
    L"Liechtenstein",
    L"Lithuania",
    L"Luxembourg",
    L"Macao",
    L"Macedonia, The Former Yugoslav Republic of",
    L"Madagascar",
    L"Malawi",
    L"Malaysia",
    L"Maldives",
    L"Mali",
    L"Malta",
    L"Man, Isle of",
    L"Marshall Islands",
    L"Martinique",
    L"Mauritania",
    L"Mauritius",
    L"Mayotte",
    L"Mexico",
    L"Micronesia, Federated States of",
    L"Moldova",
    L"Monaco",
    L"Mongolia",
    L"Montserrat",
    L"Morocco",
    L"Mozambique",
    L"Namibia",
    L"Nauru",
    L"Nepal",
    L"Netherlands",
    L"Netherlands Antilles",
    L"New Caledonia",
    L"New Zealand",
    L"Nicaragua",
    L"Niger",
    L"Nigeria",
    L"Niue",
    L"Norfolk Island",
    L"Northern Mariana Islands",
    L"Norway",
    L"Oman",
    L"Pakistan",
    L"Palau",
    L"Palestinian Territory, Occupied",
    L"Panama",
    L"Papua New Guinea",
    L"Paraguay",
    L"Peru",
    L"Philippines",
    L"Pitcairn Islands",
    L"Poland",
    L"Portugal",
    L"Puerto Rico",
    L"Qatar",
    L"R\u00E9union",
    L"Romania",
    L"Russia",
    L"Rwanda",
    L"S?o Tom\u00E9 and Pr?ncipe",
    L"Saint Helena",
    L"Saint Kitts and Nevis",
    L"Saint Lucia",
    L"Saint Pierre and Miquelon",
    L"Saint Vincent and the Grenadines",
    L"Samoa",
    L"San Marino",
    L"Saudi Arabia",
    L"Senegal",
    L"Seychelles",
    L"Sierra Leone",
    L"Singapore",
    L"Slovakia",
    L"Slovenia",
    L"Solomon Islands",
    L"Somalia",
    L"South Africa",
    L"South Georgia and the South Sandwich Islands",
    L"Spain",
    L"Sri Lanka",
    L"Sudan",
    L"Suriname",
    L"Svalbard",
    L"Swaziland",
    L"Sweden",
    L"Switzerland",
    L"Syria",
    L"Taiwan",
    L"Tajikistan",
    L"Tanzania",
    L"Thailand",
    L"The Bahamas",
    L"The Gambia",
    L"Togo",
    L"Tokelau",
    L"Tonga",
    L"Trinidad and Tobago",
    L"Tunisia",
    L"Turkey",
    L"Turkmenistan",
    L"Turks and Caicos Islands",
    L"Tuvalu",
    L"Uganda",
    L"Ukraine",
    L"United Arab Emirates",
    L"United Kingdom",
    L"United States",
    L"United States Minor Outlying Islands",
    L"Uruguay",
    L"Uzbekistan",
    L"Vanuatu",
    L"Venezuela",
    L"Vietnam",
    L"Virgin Islands",
    L"Wallis and Futuna",
    L"Western Sahara",
    L"Yemen",
    L"Yugoslavia",
    L"Zambia",
    L"Zimbabwe",
};

std::wstring DigestText(const unsigned char* digest, size_t length) {
    std::wstring text;
    text.reserve(length * 2);
    for (size_t i = 0; i < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0x0F];
    }
    return text;
}

FileFields CleanFields(FileFields f) {
    if (f.version.size() > 20)
        f.version.resize(20);
    f.company = PlaceholderIfBlank(f.company, L"unknown company");
    f.product = PlaceholderIfBlank(f.product, L"unknown product");
    f.product = ReplaceAll(f.product, L"TODO: <Product name>", L"unknown Product");
    f.company = ReplaceAll(f.company, L"TODO: <Company name>", L"unknown Company");
    f.product = ReplaceAll(f.product, L"TODO: <File description>", L"unknown Product");
    for (std::wstring* field : {&f.company, &f.version, &f.path, &f.product}) {
        std::wstring& v = *field;
        std::replace(v.begin(), v.end(), L'&', L' ');
        for (wchar_t c : {L'?', L'[', L'<', L'|'})
            v = Erase(std::move(v), c);
    }
    return f;
}

std::wstring PercentEncode(std::wstring_view value) {
    const std::string bytes = ToUtf8(value);
    std::wstring out;
    out.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        if (IsUnreserved(c))
            out += static_cast<wchar_t>(c);
        else
            AppendEscaped(out, c);
    }
    return out;
}

std::wstring LookupBaseUrl(const std::optional<std::wstring>& setting) {
    if (!setting)
        return kDefaultLookupServer;
    std::wstring base = Trim(*setting);
    if (!IsWebAddress(base) || HasUnsafeCharacter(base) ||
        base.find_first_of(L"?#") != std::wstring::npos)
        return kDefaultLookupServer;
    if (base.back() != L'/')
        base += L'/';
    return base;
}

std::wstring CutMiddle(std::wstring text, size_t excess) {
    if (excess == 0)
        return text;
    const auto isHigh = [&](size_t i) { return text[i] >= 0xD800 && text[i] <= 0xDBFF; };
    const auto isLow = [&](size_t i) { return text[i] >= 0xDC00 && text[i] <= 0xDFFF; };
    const auto encoded = [&](size_t from, size_t to) {
        return PercentEncode(std::wstring_view(text).substr(from, to - from)).size();
    };
    const std::wstring mark = L"\u2026";
    const size_t total = encoded(0, text.size()), markSize = PercentEncode(mark).size();
    const size_t budget = total > excess + markSize ? total - excess - markSize : 0;
    // Two thirds for the end, which names the file, one for the start (drive, first folders).
    const size_t tailBudget = budget * 2 / 3, headBudget = budget - tailBudget;
    size_t head = 0;
    for (size_t used = 0; head < text.size();) {
        const size_t next =
            head + (isHigh(head) && head + 1 < text.size() && isLow(head + 1) ? 2 : 1);
        used += encoded(head, next);
        if (used > headBudget)
            break;
        head = next;
    }
    size_t tail = text.size();
    for (size_t used = 0; tail > head;) {
        const size_t previous =
            tail - (tail - 1 > head && isLow(tail - 1) && isHigh(tail - 2) ? 2 : 1);
        used += encoded(previous, tail);
        if (used > tailBudget)
            break;
        tail = previous;
    }
    return text.substr(0, head) + mark + text.substr(tail);
}

std::wstring ProcessLookupAddress(std::wstring_view base, const LookupFile& file) {
    FileFields f = CleanFields({file.company, file.product, file.version, file.path});
    const auto address = [&] {
        return std::wstring(base) + L"info.asp?fname=" + PercentEncode(file.name) + L"&sz=" +
               PercentEncode(file.size) + L"&faname=" + PercentEncode(f.company) + L"&fdesc=" +
               PercentEncode(f.product) + L"&ver=" + PercentEncode(f.version) + L"&md=" +
               PercentEncode(file.digest) + L"&pth=" + PercentEncode(f.path);
    };
    const std::wstring whole = address();
    if (whole.size() <= kMaxOpenAddress)
        return whole;
    f.path = CutMiddle(std::move(f.path), whole.size() - kMaxOpenAddress);
    return address();
}

std::wstring StartupLookupAddress(std::wstring_view base, const LookupFile& file) {
    return std::wstring(base) + L"info.asp?fname=" + PercentEncode(file.name) + L"&sz=" +
           PercentEncode(file.size) + L"&faname=" + PercentEncode(file.company) + L"&fdesc=" +
           PercentEncode(file.product) + L"&ver=" + PercentEncode(file.version) + L"&s=2";
}

std::wstring PrivacyAddress(std::wstring_view base) {
    return std::wstring(base) + L"priv.html";
}

std::wstring ReportAddress(std::wstring_view base, std::wstring_view scanKey) {
    return std::wstring(base) + L"scanresult.asp?sr=" + PercentEncode(scanKey);
}

std::wstring SetupAddress(std::wstring_view base) {
    return std::wstring(base) + L"tessaly.exe";
}

std::wstring SupportMailAddress() {
    return L"mailto:support@orvix.com";
}

std::wstring CountryAddress(std::wstring_view base, std::wstring_view country) {
    std::wstring out(base);
    out += L"countries/";
    size_t i = 0;
    while (i < country.size()) {
        // Characters beyond ASCII go to the encoder as one run, so a pair of UTF-16 halves
        // stays together.
        size_t end = i;
        while (end < country.size() && country[end] > 0x7E)
            ++end;
        if (end > i) {
            out += PercentEncode(country.substr(i, end - i));
            i = end;
            continue;
        }
        const wchar_t c = country[i++];
        if (c == L'?' || c == L'#' || c == L'%' || c < 0x20 || c == L'"')
            out += PercentEncode(std::wstring_view(&c, 1));
        else
            out += c;
    }
    return out + L"-overview.html";
}

bool IsOpenableAddress(std::wstring_view address) {
    if (address.size() > kMaxOpenAddress)
        return false;
    if (StartsWithNoCase(address, L"mailto:"))
        return address.size() > 7 && !HasUnsafeCharacter(address);
    if (!IsWebAddress(address))
        return false;
    // Country pages keep their spaces; nothing else may hold one.
    for (wchar_t c : address)
        if (c < 0x20 || c == 0x7F || c == L'"' || c == L'\\')
            return false;
    return true;
}

} // namespace tessaly
