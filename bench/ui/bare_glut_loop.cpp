// The reference the engine's frame loop is measured against: a freeglut window that only
// clears and swaps, as fast as the driver allows. Prints "frames=<n> seconds=<s>", counted
// from the first frame on.
#include <GL/freeglut.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

namespace {

double g_seconds = 5.0;
double g_start = 0.0;
unsigned g_frames = 0;

double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

void Display() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ++g_frames;
}

void Idle() {
    glutSwapBuffers();
    const double elapsed = Now() - g_start;
    if (elapsed >= g_seconds) {
        std::printf("frames=%u seconds=%.6f\n", g_frames, elapsed);
        std::exit(0);
    }
    glutPostRedisplay();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_seconds = std::atof(argv[1]);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_ALPHA | GLUT_DEPTH);
    glutInitWindowSize(1280, 720);
    glutCreateWindow("bare loop");
    glutDisplayFunc(Display);
    glutIdleFunc(Idle);
    g_start = Now();
    glutMainLoop();
    return 0;
}
