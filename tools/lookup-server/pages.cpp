#include "pages.h"

#include "html.h"

#include <ctime>

namespace lookup {
namespace {

std::string Page(std::string_view title, std::string_view body) {
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<title>";
    page += EscapeHtml(title);
    page += " - Tessaly file lookup</title>\n<link rel=\"stylesheet\" href=\"style.css\">\n"
            "</head>\n<body>\n<header><a class=\"brand\" href=\"./\">Tessaly file lookup</a>"
            "</header>\n<main>\n";
    page += body;
    page += "</main>\n<footer><a href=\"priv.html\">Privacy</a></footer>\n</body>\n</html>\n";
    return page;
}

// One "term: value" pair of a definition list; nothing when the value was not sent.
void AddField(std::string& html, std::string_view term, const std::optional<std::string>& value) {
    if (!value)
        return;
    html += "<dt>";
    html += term;
    html += "</dt><dd>";
    html += EscapeHtml(*value);
    html += "</dd>\n";
}

void AddCell(std::string& html, std::string_view label, std::string_view value,
             std::string_view css_class = {}) {
    html += "<td data-label=\"";
    html += label;
    html += '"';
    if (!css_class.empty()) {
        html += " class=\"";
        html += css_class;
        html += '"';
    }
    html += '>';
    html += EscapeHtml(value);
    html += "</td>";
}

std::string FileAttributes(std::string_view md5, int verdict) {
    return " data-md5=\"" + EscapeHtml(md5) + "\" data-verdict=\"" + std::to_string(verdict) + "\"";
}

std::string BatchAttribute(int64_t batch) {
    return " data-batch=\"" + std::to_string(batch) + "\"";
}

std::string VerdictClass(int code) {
    return IsWarning(code) ? "warn" : code == 6 ? "safe" : "plain";
}

} // namespace

std::string VerdictLabel(int code) {
    if (IsWarning(code))
        return "Dangerous (level " + std::to_string(code) + " of 5)";
    if (code == 6)
        return "Safe";
    if (code == 0)
        return "Not rated";
    return "Rated " + std::to_string(code);
}

std::string FormatTime(int64_t seconds_since_1970) {
    const std::time_t time = static_cast<std::time_t>(seconds_since_1970);
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text;
}

std::string CheckAnswer(const std::vector<FileRecord>& records, const std::vector<int>& verdicts) {
    std::string answer;
    for (size_t i = 0; i < records.size(); ++i) {
        if (i > 0)
            answer += ':';
        for (char c : EscapeHtml(records[i].name)) {
            if (c == ':')
                answer += "&#58;";
            else
                answer += c;
        }
        answer += '=';
        answer += std::to_string(verdicts[i]);
    }
    return answer;
}

std::string ReportPage(std::string_view key, const std::vector<StoredRecord>& records) {
    size_t warnings = 0, unknown = 0, malformed = 0;
    int64_t first = records.front().received, last = first, batches = 0;
    for (const StoredRecord& r : records) {
        batches = std::max(batches, r.batch);
        warnings += IsWarning(r.verdict);
        unknown += !r.file.malformed && !r.known;
        malformed += r.file.malformed;
        first = std::min(first, r.received);
        last = std::max(last, r.received);
    }

    std::string body = "<h1>Security check report</h1>\n<dl class=\"summary\">\n";
    AddField(body, "Scan key", std::string(key));
    AddField(body, "Received",
             first == last ? FormatTime(first) : FormatTime(first) + " to " + FormatTime(last));
    AddField(body, "Files checked", std::to_string(records.size()));
    AddField(body, "Requests", std::to_string(batches));
    AddField(body, "Warnings", std::to_string(warnings));
    AddField(body, "Not in the database", std::to_string(unknown));
    if (malformed > 0)
        AddField(body, "Unreadable records", std::to_string(malformed));
    body += "</dl>\n";

    body += "<section class=\"warnings\">\n<h2>Warnings</h2>\n";
    if (warnings == 0) {
        body += "<p class=\"ok\">No file of this check is known to be dangerous.</p>\n";
    } else {
        body += "<ul>\n";
        for (const StoredRecord& r : records) {
            if (!IsWarning(r.verdict))
                continue;
            body += "<li class=\"warning\"><strong>" + EscapeHtml(r.file.name) + "</strong> " +
                    "<span class=\"verdict warn\">" + VerdictLabel(r.verdict) + "</span>";
            if (!r.verdict_name.empty())
                body += "<p class=\"threat\">" + EscapeHtml(r.verdict_name) + "</p>";
            if (!r.verdict_note.empty())
                body += "<p class=\"note\">" + EscapeHtml(r.verdict_note) + "</p>";
            body += "<p class=\"path\">" + EscapeHtml(r.file.path) + "</p></li>\n";
        }
        body += "</ul>\n";
    }
    body += "</section>\n";

    body += "<section>\n<h2>All files</h2>\n<table class=\"files\">\n<thead><tr><th>File</th>"
            "<th>Verdict</th><th>Company</th><th>Product</th><th>Version</th><th>Size</th>"
            "<th>Path</th><th>MD5 digest</th><th>System</th></tr></thead>\n<tbody>\n";
    for (const StoredRecord& r : records) {
        const FileRecord& f = r.file;
        body += "<tr class=\"file " + VerdictClass(r.verdict) + (f.malformed ? " malformed" : "") +
                "\"" + FileAttributes(f.md5, r.verdict) + BatchAttribute(r.batch) + ">";
        AddCell(body, "File", f.name, "name");
        if (f.malformed) {
            AddCell(body, "Verdict", "Unreadable record");
            body += "<td data-label=\"Record\" colspan=\"7\" class=\"raw\">" + EscapeHtml(f.raw) +
                    "</td></tr>\n";
            continue;
        }
        AddCell(body, "Verdict", VerdictLabel(r.verdict), "verdict " + VerdictClass(r.verdict));
        AddCell(body, "Company", f.company);
        AddCell(body, "Product", f.product);
        AddCell(body, "Version", f.version);
        AddCell(body, "Size", f.size, "number");
        AddCell(body, "Path", f.path, "path");
        AddCell(body, "MD5 digest", f.md5, "digest");
        AddCell(body, "System", f.system);
        body += "</tr>\n";
    }
    body += "</tbody>\n</table>\n</section>\n";
    return Page("Security check report", body);
}

std::string InfoPage(const QueryParams& query, const std::optional<Verdict>& verdict) {
    const auto name = FindParam(query, "fname");
    const std::string md5 = NormalizeDigest(FindParam(query, "md").value_or(""));
    std::string body = "<h1>" + EscapeHtml(name.value_or("File information")) + "</h1>\n";
    const int code = verdict ? verdict->code : 0;
    body +=
        "<section class=\"file " + VerdictClass(code) + "\"" + FileAttributes(md5, code) + ">\n";
    if (md5.empty()) {
        body += "<p class=\"verdict plain\">No MD5 digest was sent, so the file cannot be matched "
                "against the database.</p>\n";
    } else if (!verdict) {
        body += "<p class=\"verdict plain\">This file is not in the database.</p>\n";
    } else {
        body += "<p class=\"verdict " + VerdictClass(code) + "\">" + VerdictLabel(code) + "</p>\n";
        if (!verdict->name.empty())
            body += "<p class=\"threat\">" + EscapeHtml(verdict->name) + "</p>\n";
        if (!verdict->note.empty())
            body += "<p class=\"note\">" + EscapeHtml(verdict->note) + "</p>\n";
    }
    body += "<dl class=\"summary\">\n";
    AddField(body, "File name", name);
    AddField(body, "Size in bytes", FindParam(query, "sz"));
    AddField(body, "Company", FindParam(query, "faname"));
    AddField(body, "Description", FindParam(query, "fdesc"));
    AddField(body, "Version", FindParam(query, "ver"));
    AddField(body, "MD5 digest", FindParam(query, "md"));
    AddField(body, "Path", FindParam(query, "pth"));
    body += "</dl>\n</section>\n";
    return Page(name.value_or("File information"), body);
}

std::string PrivacyPage(int keep_days) {
    std::string body = R"(<h1>Privacy</h1>
<p>The security check of Tessaly sends a description of every program file and module that
runs on your computer to this server, five files at a time, and only after you click
"Start Security Check". A file lookup sends the one file you asked about.</p>
<h2>What is sent for each file</h2>
<table class="fields">
<thead><tr><th>Field</th><th>Example</th></tr></thead>
<tbody>
<tr><td data-label="Field">File name</td><td data-label="Example">notepad.exe</td></tr>
<tr><td data-label="Field">Company</td><td data-label="Example">from the file's version data</td></tr>
<tr><td data-label="Field">Product or description</td><td data-label="Example">from the file's version data</td></tr>
<tr><td data-label="Field">Version</td><td data-label="Example">from the file's version data, at most 20 characters</td></tr>
<tr><td data-label="Field">Size</td><td data-label="Example">the file's length in bytes</td></tr>
<tr><td data-label="Field">Path</td><td data-label="Example">the folder and name of the file on your computer, which may include your user name</td></tr>
<tr><td data-label="Field">MD5 digest</td><td data-label="Example">a fingerprint of the file's contents, not the contents themselves</td></tr>
<tr><td data-label="Field">System</td><td data-label="Example">the name of your version of Windows</td></tr>
<tr><td data-label="Field">Scan key</td><td data-label="Example">the serial number of your Windows drive and the time of day the check started, in seconds since midnight</td></tr>
</tbody>
</table>
<h2>What is stored</h2>
<p>Each file record of a security check is stored with its scan key, the time it arrived and
the verdict it was given, so that the report of the check can be shown again from its link.
File lookups are answered and not stored. Your network address is used only to limit how many
requests one computer may make in a minute; it is kept in memory for that minute and not
stored. The server's log holds the time, the page asked for and the answer's status, never the
values you sent.</p>
<h2>For how long</h2>
)";
    body += "<p>Records are deleted " + std::to_string(keep_days) +
            " days after they arrive. After that the report of the check is no longer "
            "available.</p>\n";
    return Page("Privacy", body);
}

std::string HomePage(bool has_setup) {
    std::string body = R"(<h1>Tessaly file lookup</h1>
<p>This server answers the security check and the file lookups of Tessaly: it tells which of
the files running on a computer are known to be dangerous, and keeps the report of each check.</p>
<form class="lookup" action="info.asp" method="get">
<label for="md">Look up a file by its MD5 digest</label>
<input id="md" name="md" maxlength="32" pattern="[0-9A-Fa-f]{32}" required>
<button type="submit">Look up</button>
</form>
<ul class="links">
<li><a href="priv.html">What the security check sends and what is stored</a></li>
)";
    if (has_setup)
        body += "<li><a href=\"tessaly.exe\">Download Tessaly</a></li>\n";
    body += "</ul>\n";
    return Page("Home", body);
}

std::string ErrorPage(int status, std::string_view message) {
    return Page("Error " + std::to_string(status),
                "<h1>" + std::to_string(status) + "</h1>\n<p>" + EscapeHtml(message) + "</p>\n");
}

std::string_view StyleSheet() {
    return R"(:root { color-scheme: light; --ink: #1d2430; --muted: #5b6472; --line: #d8dde4;
  --warn: #b3261e; --warn-bg: #fdecea; --safe: #1e6b34; --accent: #24598f; }
* { box-sizing: border-box; }
body { margin: 0; font: 16px/1.45 system-ui, "Segoe UI", sans-serif; color: var(--ink);
  background: #f5f7fa; }
header, main, footer { max-width: 72rem; margin: 0 auto; padding: 0.75rem 1rem; }
header { border-bottom: 1px solid var(--line); }
.brand { font-weight: 600; color: var(--accent); text-decoration: none; }
h1 { font-size: 1.6rem; margin: 0.5rem 0 1rem; overflow-wrap: anywhere; }
h2 { font-size: 1.2rem; margin: 1.5rem 0 0.5rem; }
a { color: var(--accent); }
dl.summary { display: grid; grid-template-columns: max-content 1fr; gap: 0.25rem 1rem;
  margin: 0 0 1rem; }
dl.summary dt { color: var(--muted); }
dl.summary dd { margin: 0; overflow-wrap: anywhere; }
.warnings ul { list-style: none; padding: 0; }
li.warning { background: var(--warn-bg); border-left: 4px solid var(--warn);
  padding: 0.5rem 0.75rem; margin-bottom: 0.5rem; }
li.warning p { margin: 0.25rem 0 0; overflow-wrap: anywhere; }
.verdict.warn, .threat { color: var(--warn); font-weight: 600; }
.verdict.safe { color: var(--safe); }
.ok { color: var(--safe); }
.path, .digest, .raw { font-family: ui-monospace, Consolas, monospace; font-size: 0.85rem;
  overflow-wrap: anywhere; }
table { border-collapse: collapse; width: 100%; background: #fff; }
th, td { text-align: left; vertical-align: top; padding: 0.4rem 0.5rem;
  border-bottom: 1px solid var(--line); }
th { background: #eef1f5; font-weight: 600; }
td.number { text-align: right; }
tr.warn { background: var(--warn-bg); }
section.file { background: #fff; border: 1px solid var(--line); padding: 0.75rem 1rem; }
section.file.warn { border-left: 4px solid var(--warn); background: var(--warn-bg); }
form.lookup { display: flex; flex-wrap: wrap; gap: 0.5rem; align-items: center; }
form.lookup input { font: inherit; padding: 0.3rem; min-width: 0; flex: 1 1 20rem; }
form.lookup label { flex-basis: 100%; }
@media (max-width: 48rem) {
  table thead { display: none; }
  table, tbody, tr, td { display: block; width: 100%; }
  tr { border: 1px solid var(--line); margin-bottom: 0.75rem; }
  td { border: 0; padding: 0.2rem 0.6rem; overflow-wrap: anywhere; }
  td.number { text-align: left; }
  td::before { content: attr(data-label); display: block; font-size: 0.8rem;
    color: var(--muted); }
}
)";
}

} // namespace lookup
