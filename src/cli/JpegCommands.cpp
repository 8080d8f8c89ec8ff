// JPEG pictures as the studio sees them: whether a file loads and what it holds.
#include "images/CJpegPicture.h"
#include "cli/CliCommand.h"
#include "cli/JsonWriter.h"

#include <ostream>

namespace {

int runJpegInfo(CliArgs& args, CliContext& context)
{
    bool json = args.flag("--json");
    std::vector<std::string> positional = args.positionals(1, 1);
    CJpegPicture picture;
    bool valid = picture.loadFile(positional[0], false);
    if (json) {
        JsonWriter writer(context.out);
        writer.beginObject().field("valid", valid);
        if (valid)
            writer.field("width", picture.width())
                .field("height", picture.height())
                .field("sampling", picture.samplingText());
        else
            writer.field("error", std::string(CJpegPicture::errorText()));
        writer.endObject();
        context.out << "\n";
    } else if (valid) {
        context.out << picture.width() << " x " << picture.height() << ", " << picture.samplingText() << "\n";
    } else {
        context.out << "invalid: " << CJpegPicture::errorText() << "\n";
    }
    return valid ? 0 : 1;
}

const CliRegistration kJpegInfo("jpeg info", "jpeg info FILE [--json]", runJpegInfo);

} // namespace
