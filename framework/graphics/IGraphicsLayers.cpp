// IGraphics: off-screen layers (a stack; the top one is the drawing target), their drop
// shadows, and styling every vector control at once.

#include "framework/graphics/IGraphics.h"

#include "framework/graphics/controls/IVectorBase.h"

#include <algorithm>
#include <cmath>

namespace plugin::igraphics
{

void IGraphics::StartLayer(IControl* pControl, const IRECT& r, bool cacheable)
{
  const float s = GetBackingPixelScale();
  const IRECT aligned(std::floor(r.L * s) / s, std::floor(r.T * s) / s, std::ceil(r.R * s) / s,
                      std::ceil(r.B * s) / s);
  const int w = static_cast<int>(std::ceil(std::ceil(aligned.W()) * s));
  const int h = static_cast<int>(std::ceil(std::ceil(aligned.H()) * s));
  APIBitmap* pBitmap = CreateAPIBitmap(w, h, cacheable, GetScreenScale(), GetDrawScale());
  auto* pLayer = new ILayer(pBitmap, aligned, pControl, pControl ? pControl->GetRECT() : IRECT());
  PushLayer(pLayer);
}

ILayerPtr IGraphics::EndLayer()
{
  return ILayerPtr(PopLayer());
}

void IGraphics::ResumeLayer(ILayerPtr& layer)
{
  if (layer)
    PushLayer(layer.release());
}

void IGraphics::PushLayer(ILayer* pLayer)
{
  mLayers.push_back(pLayer);
  UpdateLayer();
  mTransform = IMatrix();
  PathTransformSetMatrix(mTransform);
  PathClipRegion(pLayer->mRECT);
  PathClear();
}

ILayer* IGraphics::PopLayer()
{
  ILayer* pLayer = nullptr;
  if (!mLayers.empty())
  {
    pLayer = mLayers.back();
    mLayers.pop_back();
  }
  UpdateLayer();
  mTransform = IMatrix();
  PathTransformSetMatrix(mTransform);
  PathClipRegion();
  PathClear();
  return pLayer;
}

bool IGraphics::CheckLayer(const ILayerPtr& layer)
{
  if (!layer || !layer->mBitmap)
    return false;
  if (IControl* pControl = layer->mControl)
  {
    const IRECT bounds = pControl->GetRECT();
    if (!(bounds == layer->mControlRECT))
    {
      layer->mControlRECT = bounds;
      layer->mInvalid = true;
    }
  }
  if (layer->mInvalid)
    return false;
  return layer->mBitmap->GetDrawScale() == GetDrawScale() &&
         layer->mBitmap->GetScale() == GetScreenScale();
}

void IGraphics::DrawLayer(const ILayerPtr& layer, const IBlend* pBlend)
{
  if (!layer || !layer->mBitmap)
    return;
  PathTransformSave();
  PathTransformReset();
  const IBitmap bitmap(layer->mBitmap.get(), 1, false);
  DrawBitmap(bitmap, layer->mRECT, 0, 0, pBlend);
  PathTransformRestore();
}

void IGraphics::DrawFittedLayer(const ILayerPtr& layer, const IRECT& bounds, const IBlend* pBlend)
{
  if (!layer || !layer->mBitmap || layer->mRECT.W() <= 0.f || layer->mRECT.H() <= 0.f)
    return;
  const IBitmap bitmap(layer->mBitmap.get(), 1, false);
  const float w = layer->mRECT.W(), h = layer->mRECT.H();
  PathTransformSave();
  PathTransformTranslate(bounds.L, bounds.T);
  PathTransformScale(bounds.W() / w, bounds.H() / h);
  DrawBitmap(bitmap, IRECT(0.f, 0.f, w, h), 0, 0, pBlend);
  PathTransformRestore();
}

void IGraphics::DrawRotatedLayer(const ILayerPtr& layer, double angle)
{
  if (!layer || !layer->mBitmap)
    return;
  PathTransformSave();
  PathTransformReset();
  const IBitmap bitmap(layer->mBitmap.get(), 1, false);
  DrawRotatedBitmap(bitmap, layer->mRECT.MW(), layer->mRECT.MH(), static_cast<float>(angle));
  PathTransformRestore();
}

namespace
{

// One pass of the symmetric blur along rows of in, written transposed into out (so a second
// pass blurs the other direction and transposes back). Only the alpha byte is blurred.
void BlurPassTransposed(const uint8_t* in, uint8_t* out, int width, int height, int alphaIdx,
                        const std::vector<uint8_t>& weights, unsigned normaliser)
{
  const int n = static_cast<int>(weights.size());
  for (int y = 0; y < height; ++y)
  {
    const uint8_t* row = in + static_cast<size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x)
    {
      unsigned sum = weights[0] * row[x * 4 + alphaIdx];
      for (int k = 1; k < n; ++k)
      {
        if (x - k >= 0)
          sum += weights[k] * row[(x - k) * 4 + alphaIdx];
        if (x + k < width)
          sum += weights[k] * row[(x + k) * 4 + alphaIdx];
      }
      const unsigned value = std::min(255u, sum / normaliser);
      out[(static_cast<size_t>(x) * height + y) * 4 + alphaIdx] = static_cast<uint8_t>(value);
    }
  }
}

} // namespace

void IGraphics::ApplyLayerDropShadow(ILayerPtr& layer, const IShadow& shadow)
{
  if (!layer || !layer->mBitmap)
    return;
  RawBitmapData pixels;
  GetLayerBitmapData(layer, pixels);
  const int width = layer->mBitmap->GetWidth();
  const int height = layer->mBitmap->GetHeight();
  if (pixels.empty() || width <= 0 || height <= 0 ||
      pixels.size() < static_cast<size_t>(width) * height * 4)
    return;
  RawBitmapData temp(pixels.size());

  const float k =
    shadow.mBlurSize * layer->mBitmap->GetScale() * layer->mBitmap->GetDrawScale() + 1.f;
  if (k > 1.f)
  {
    const int n = static_cast<int>(k);
    std::vector<uint8_t> weights(static_cast<size_t>(n));
    unsigned normaliser = 0;
    for (int i = 0; i < n; ++i)
    {
      weights[i] = static_cast<uint8_t>(std::exp(-float(i * i) * 4.5f / (k * k)) * 255.f);
      normaliser += (i == 0 ? 1u : 2u) * weights[i];
    }
    if (normaliser == 0)
      normaliser = 1;
    const int alphaIdx = AlphaChannel();
    // Rows first (into temp, transposed: height x width), then the other direction back.
    // Which way rows run (FlippedBitmap) does not matter to a symmetric blur.
    BlurPassTransposed(pixels.data(), temp.data(), width, height, alphaIdx, weights, normaliser);
    BlurPassTransposed(temp.data(), pixels.data(), height, width, alphaIdx, weights, normaliser);
  }
  ApplyShadowMask(layer, pixels, shadow);
}

void IGraphics::StyleAllVectorControls(const IVStyle& style)
{
  ForStandardControlsFunc(
    [&style](IControl& control)
    {
      if (auto* pVectorBase = dynamic_cast<IVectorBase*>(&control))
        pVectorBase->SetStyle(style);
    });
}

} // namespace plugin::igraphics
