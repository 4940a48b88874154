// A small application on the shell for end-to-end tests: it draws a known picture and prints every event it gets,
// one line each, so a script driving it under Xvfb can check what arrived.
//   F5  read the window back (at the end of the next draw) and print a few of its pixels
//   F6  print the frame rate and frame count
//   Escape  toggle full screen
#include <epoxy/gl.h>

#include <cstdio>
#include <memory>

#include "shell/AppBasic.h"
#include "shell/RendererGl.h"

namespace {

using namespace vornix;

class ShellProbe : public AppBasic {
public:
    void prepareSettings(Settings* settings) override
    {
        std::printf("prepareSettings title=%s\n", settings->title.c_str());
        settings->setTitle("vornix shell probe");
        settings->setFrameRate(30.0f);
        settings->setWindowSize(600, 600);
    }

    void setup() override
    {
        glGenTextures(1, &texture_);
        glBindTexture(GL_TEXTURE_2D, texture_);
        const unsigned char texel[4] = {1, 2, 3, 4};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        glBindTexture(GL_TEXTURE_2D, 0);
        std::printf("setup aa=%d size=%dx%d\n", getRenderer()->antiAliasingLevel, getWindowWidth(), getWindowHeight());
        fflush(stdout);
    }

    void draw() override
    {
        const int w = getWindowWidth(), h = getWindowHeight();
        glViewport(0, 0, w, h);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, w, h, 0, -1, 1);   // pixels, origin top-left
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        quad(0, 0, 100, 100, 1, 0, 0);         // red at the top left
        quad(0, h - 100, 100, h, 0, 1, 0);     // green at the bottom left
        if (readBack_) {
            readBack_ = false;
            const Surface8u s = getRenderer()->copyWindowSurface();
            auto px = [&](int x, int y) {
                const std::uint8_t* p = s.getPixel(x, y);
                return (p[0] << 16) | (p[1] << 8) | p[2];
            };
            std::printf("readback %dx%d topleft=%06x bottomleft=%06x centre=%06x\n", s.getWidth(), s.getHeight(),
                        px(50, 50), px(50, s.getHeight() - 50), px(s.getWidth() / 2, s.getHeight() / 2));
            fflush(stdout);
        }
    }

    void shutdown() override
    {
        // The context is still current here: the texture made in setup is still known to GL.
        std::printf("shutdown texture=%d fps=%.2f frames=%u\n", glIsTexture(texture_) ? 1 : 0, averageFps,
                    getElapsedFrames());
        glDeleteTextures(1, &texture_);
        fflush(stdout);
    }

    void mouseDown(MouseEvent e) override { mouse("mouseDown", e); }
    void mouseUp(MouseEvent e) override { mouse("mouseUp", e); }
    void mouseMove(MouseEvent e) override { mouse("mouseMove", e); }
    void mouseDrag(MouseEvent e) override { mouse("mouseDrag", e); }
    void mouseWheel(MouseEvent e) override
    {
        std::printf("mouseWheel increment=%g\n", e.wheelIncrement);
        fflush(stdout);
    }
    void keyUp(KeyEvent e) override { key("keyUp", e); }
    void keyDown(KeyEvent e) override
    {
        key("keyDown", e);
        if (e.code == KeyCode::F1 + 4)
            readBack_ = true;
        if (e.code == KeyCode::F1 + 5) {
            std::printf("fps %.2f frames %u elapsed %.2f\n", averageFps, getElapsedFrames(), getElapsedSeconds());
            fflush(stdout);
        }
        if (e.code == KeyCode::Escape) {
            setFullScreen(!isFullScreen());
            std::printf("fullscreen=%d texture=%d\n", isFullScreen() ? 1 : 0, glIsTexture(texture_) ? 1 : 0);
            fflush(stdout);
        }
    }
    void resize(ResizeEvent e) override
    {
        std::printf("resize %dx%d\n", e.width, e.height);
        fflush(stdout);
    }

private:
    static void quad(int x1, int y1, int x2, int y2, float r, float g, float b)
    {
        glColor3f(r, g, b);
        glBegin(GL_QUADS);
        glVertex2i(x1, y1);
        glVertex2i(x2, y1);
        glVertex2i(x2, y2);
        glVertex2i(x1, y2);
        glEnd();
    }
    static void mouse(const char* kind, const MouseEvent& e)
    {
        std::printf("%s x=%d y=%d initiator=%d modifiers=%u\n", kind, e.x, e.y, e.initiator, e.modifiers);
        fflush(stdout);
    }
    static void key(const char* kind, const KeyEvent& e)
    {
        std::printf("%s code=%d character=%d modifiers=%u\n", kind, e.code, e.character, e.modifiers);
        fflush(stdout);
    }

    GLuint texture_ = 0;
    bool readBack_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    const int status = AppBasic::launch<ShellProbe>("ShellProbe", std::make_shared<RendererGl>(5), argc, argv);
    std::printf("exit %d\n", status);
    return status;
}
