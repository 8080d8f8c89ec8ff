#include "cli/HeadRendering.h"

#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "rendering/HeadViewSetup.h"
#include "rendering/gl/CGLRenderer.h"
#include "rendering/gl/EglOffscreenContext.h"

namespace {

// Pictures go into slots of a fixed size; anything else is refused before the head is touched.
CJpegPicture loadSlotPicture(const CliContext& context, const std::string& path, bool alphaMode,
                             int width = 256, int height = 256)
{
    CJpegPicture picture;
    if (!picture.loadFile(path, alphaMode))
        failWithMessage(context, 0xE81E, path.c_str());
    if (picture.width() != width || picture.height() != height)
        failWithMessage(context, 0xE81F, width, height);
    return picture;
}

const uint32_t* pixelsOf(const CJpegPicture& picture)
{
    return reinterpret_cast<const uint32_t*>(picture.pixels());
}

// Slot 0 is filled as the head definition is applied: the photo is a colour picture, opaque unless a
// mask of the same size gives it coverage, and it replaces the whole slot. A mask alone only sets the
// slot's alpha. Without any picture the slot keeps what the model holds.
void putPictures(CHeadModel& model, HeadPictures pictures)
{
    if (pictures.face) {
        if (pictures.mask)
            pictures.face->takeAlphaFrom(*pictures.mask);
        model.writeSlotPixels(0, pixelsOf(*pictures.face));
    } else if (pictures.mask) {
        model.writeSlotAlpha(0, pixelsOf(*pictures.mask));
    }
    if (pictures.background)
        model.writeSlotPixels(7, pixelsOf(*pictures.background));
    if (pictures.teethTop)
        model.writeSlotPixels(1, pixelsOf(*pictures.teethTop));
    if (pictures.teethBottom)
        model.writeSlotPixels(2, pixelsOf(*pictures.teethBottom));
}

} // namespace

PicturePaths takePicturePaths(CliArgs& args)
{
    PicturePaths paths;
    paths.face = args.take("--face");
    paths.mask = args.take("--mask");
    paths.background = args.take("--background");
    paths.teethTop = args.take("--teeth-top");
    paths.teethBottom = args.take("--teeth-bottom");
    return paths;
}

HeadPictures loadHeadPictures(const CliContext& context, const PicturePaths& paths)
{
    HeadPictures pictures;
    if (paths.face)
        pictures.face = loadSlotPicture(context, *paths.face, false);
    if (paths.mask)
        pictures.mask = loadSlotPicture(context, *paths.mask, true);
    if (paths.background)
        pictures.background = loadSlotPicture(context, *paths.background, false);
    if (paths.teethTop)
        pictures.teethTop = loadSlotPicture(context, *paths.teethTop, false, 64, 16);
    if (paths.teethBottom)
        pictures.teethBottom = loadSlotPicture(context, *paths.teethBottom, false, 64, 16);
    return pictures;
}

int takeProcessorOption(CliArgs& args)
{
    std::optional<std::string> cpu = args.take("--cpu");
    if (!cpu || *cpu == "gen")
        return 0;
    if (*cpu == "p3")
        return 1;
    if (*cpu == "p4")
        return 2;
    throw CliError("--cpu must be gen, p3 or p4, not \"" + *cpu + "\"");
}

GlFrameOptions takeGlOptions(CliArgs& args)
{
    GlFrameOptions options;
    options.on = args.flag("--gl");
    if (std::optional<std::string> mode = args.take("--draw-mode")) {
        if (!options.on)
            throw CliError("--draw-mode needs --gl");
        if (*mode != "0" && *mode != "1" && *mode != "2")
            throw CliError("--draw-mode must be 0, 1 or 2, not \"" + *mode + "\"");
        options.drawMode = (*mode)[0] - '0';
    }
    return options;
}

// The OpenGL renderer with the offscreen context it draws into.
struct HeadFrameRenderer::GlDrawer {
    EglOffscreenContext context;
    CGLRenderer renderer;
};

HeadFrameRenderer::HeadFrameRenderer(const std::string& headPath, int processor, const HeadPictures& pictures,
                                     GlFrameOptions gl)
    : model_(readHeadFile(headPath))
{
    if (!model_)
        throw CliError("cannot read the head " + headPath);
    if (!renderer_.create(model_.get(), processor) || !renderer_.setPerspective(false))
        throw CliError("cannot create the software renderer");
    headview::attachWithNormalise(renderer_, *model_);
    renderer_.resetCamera();
    if (gl.on) {
        gl_ = std::make_unique<GlDrawer>();
        if (!gl_->context.open(256, 256))
            throw CliError("no offscreen OpenGL context: " + gl_->context.error());
        CGLRenderer& glRenderer = gl_->renderer;
        if (!glRenderer.create(model_.get()) || !glRenderer.setPerspective(false) ||
            !glRenderer.setDrawMode(gl.drawMode))
            throw CliError("cannot create the OpenGL renderer");
        glRenderer.resetCamera();
    }
    model_->saveToSet(1);
    putPictures(*model_, pictures);
}

HeadFrameRenderer::~HeadFrameRenderer()
{
    // The OpenGL renderer lets go of its textures while its context is still current.
    if (gl_ && gl_->context.makeCurrent())
        gl_->renderer.destroy();
}

std::vector<uint32_t> HeadFrameRenderer::draw(const FapRow& values, int width, int height)
{
    for (int i = 0; i < kFapCount; ++i)
        model_->setFapValue(i, values[static_cast<size_t>(i)]);
    model_->deform(false);
    if (gl_) {
        if (!gl_->context.resize(width, height) || !gl_->renderer.setViewport(width, height) ||
            !gl_->renderer.drawPlayerFrame())
            throw CliError("drawing the frame with OpenGL failed: " + gl_->context.error());
        return gl_->context.readPixels();
    }
    std::vector<uint32_t> frame(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (!renderer_.setViewport(width, height, frame.data()) || !renderer_.drawPlayerFrame())
        throw CliError("drawing the frame failed");
    return frame;
}
