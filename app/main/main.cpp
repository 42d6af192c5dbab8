#include "app/glimraapp.h"

int main(int argc, char** argv)
{
    CGlimraApp app;
    return app.Run(argc, argv);
}
