#pragma once
// Hands the view and the pages the factories of the timed camera and page moves, so
// that a camera set with a time and a page with a transition animate. The program
// calls it once at start-up, before any view exists.

void InstallAnimationFactories();
