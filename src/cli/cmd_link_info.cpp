// quillovarsta-cli link-info PATH: what the property dialog's extraction menu offers for a linked
// file and what each of its readers finds there, as one JSON object.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/content/html_head.h"
#include "core/content/line_reader.h"
#include "core/content/link_content.h"
#include "core/fs/read_file.h"
#include "core/text/json_writer.h"
#include "core/text/sjis.h"

namespace qv::cli {

namespace {

void WritePairs(JsonWriter& json, const NameValueList& list) {
    json.BeginArray();
    for (const auto& e : list) {
        json.BeginArray().Cp932(e.Name).Cp932(e.Value).EndArray();
    }
    json.EndArray();
}

void NullField(JsonWriter& json, const std::string& key) {
    json.Key(key).Null().Key(key + "_hex").Null();
}

}  // namespace

int RunLinkInfo(const CliArgs& args) {
    if (int rc = CheckArguments(args, 1, "link-info PATH"); rc != kExitOk) return rc;
    const std::filesystem::path path(args.Positional[0]);
    const WholeFile probe = ReadFileStart(path, 1);
    if (probe.Status == WholeFile::Result::Missing)
        return Fail(kExitBadInput, "no such file: " + args.Positional[0]);
    if (probe.Status != WholeFile::Result::Read)
        return Fail(kExitBadInput, "cannot read " + args.Positional[0] + ": " + probe.Why);

    const std::string extension = sjis::UpperAscii(path.extension().string());
    const LinkContent kind = LinkContentFor(path);

    JsonWriter json;
    json.BeginObject().Key("extension").String(extension).Key("offers").BeginArray();
    switch (kind) {
        case LinkContent::HtmlHead:
            json.String("title").String("description").String("keywords");
            break;
        case LinkContent::HelpTitle:
            json.String("title");
            break;
        case LinkContent::Mp3Tag:
            for (const char* name : {"TrackName", "ArtistName", "AlbumName", "Year", "Comment"})
                json.String(name);
            break;
        case LinkContent::FirstLine:
            json.String("first_line");
            break;
        case LinkContent::None:
            break;
    }
    json.EndArray();

    NameValueList list;
    json.Key("html_head");
    if (kind == LinkContent::HtmlHead && ReadHtmlHead(path, list)) {
        WritePairs(json, list);
    } else {
        json.Null();
    }
    json.Key("mp3_tag");
    if (kind == LinkContent::Mp3Tag && ReadMp3Tag(path, list)) {
        WritePairs(json, list);
    } else {
        json.Null();
    }
    if (kind == LinkContent::HelpTitle) {
        json.Cp932Field("help_title", ReadHelpTitle(path));
    } else {
        NullField(json, "help_title");
    }
    json.Key("is_text_file").Bool(IsTextFile(path));
    if (kind == LinkContent::FirstLine) {
        json.Cp932Field("first_line", ReadFirstLine(path));
    } else {
        NullField(json, "first_line");
    }
    json.EndObject();
    std::cout << json.str() << '\n';
    return kExitOk;
}

}  // namespace qv::cli
