// The list of pictures the picture tool paints into gfx/.
#include "assets/pictures/pictures.h"

const std::vector<PictureRecipe>& PictureRecipes() {
  static const std::vector<PictureRecipe> recipes = {
      {"shade2", false, MakeShade2},       {"player1", false, MakePlayer1},
      {"player2", false, MakePlayer2},     {"weapon", false, MakeWeapon},
      {"vihu1", false, MakeVihu1},         {"vihu2", false, MakeVihu2},
      {"bullet", false, MakeBullet},       {"particle", false, MakeParticle},
      {"vihuammus", false, MakeVihuAmmus}, {"particle2", true, MakeParticle2},
      {"help", false, MakeHelp},           {"shadow", false, MakeShadow},
      {"aim", false, MakeAim},             {"eye", false, MakeEye},
      {"mushroom", false, MakeMushroom},
  };
  return recipes;
}
