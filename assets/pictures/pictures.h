// The game's pictures, one recipe each. The sprites are painted in white and
// greys with an alpha channel because the game multiplies its stage tint into
// them; particle2 is the one RGB picture on pure black, which the game's
// loader masks to transparent. Edit a recipe and rebuild `data` to see it.
#pragma once

#include <string>
#include <vector>

#include "tools/canvas.h"

class Lettering;

struct PictureRecipe {
  std::string name;        // file name under gfx/, without ".png"
  bool rgb_on_black;       // written as RGB: pure black becomes transparent in game
  Canvas (*make)(const Lettering& font);
};

// Every picture, in the order the game loads them.
const std::vector<PictureRecipe>& PictureRecipes();

Canvas MakeShade2(const Lettering&);
Canvas MakePlayer1(const Lettering&);
Canvas MakePlayer2(const Lettering&);
Canvas MakeWeapon(const Lettering&);
Canvas MakeVihu1(const Lettering&);
Canvas MakeVihu2(const Lettering&);
Canvas MakeBullet(const Lettering&);
Canvas MakeParticle(const Lettering&);
Canvas MakeVihuAmmus(const Lettering&);
Canvas MakeParticle2(const Lettering&);
Canvas MakeHelp(const Lettering&);
Canvas MakeShadow(const Lettering&);
Canvas MakeAim(const Lettering&);
Canvas MakeEye(const Lettering&);
Canvas MakeMushroom(const Lettering&);

// The window and desktop icon, 256 x 256, written as gloomfall.png beside the
// game's other files rather than under gfx/; `size` paints the same picture
// larger (the web app's 512 x 512 icon).
Canvas MakeIcon(const Lettering&, int size = 256);
