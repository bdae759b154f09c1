#include "tools/run/ProcessTimePredictor.h"

#include <cmath>

void ProcessTimePredictor::addSample(double fraction, double elapsedSeconds, int channel) {
  if (channel < 0 || !(fraction > 0.0 && fraction < 1.0) || !(elapsedSeconds > 0.0)) return;
  if (static_cast<size_t>(channel) >= channels_.size()) channels_.resize(static_cast<size_t>(channel) + 1);
  Channel& c = channels_[static_cast<size_t>(channel)];
  double total = elapsedSeconds / fraction;
  if (!c.totals.empty()) total = (total + c.totals.back()) / 2.0;
  c.elapsed.push_back(elapsedSeconds);
  c.fractions.push_back(fraction);
  c.totals.push_back(total);
}

int ProcessTimePredictor::remainingSeconds(int channel) const {
  const Channel* c = find(channel);
  if (!c) return 0;
  return static_cast<int>(std::ceil(c->totals.back() - c->elapsed.back()));
}

bool ProcessTimePredictor::hasEstimate(int channel) const { return find(channel) != nullptr; }

void ProcessTimePredictor::reset() { channels_.clear(); }

const ProcessTimePredictor::Channel* ProcessTimePredictor::find(int channel) const {
  if (channel < 0 || static_cast<size_t>(channel) >= channels_.size()) return nullptr;
  const Channel& c = channels_[static_cast<size_t>(channel)];
  return c.totals.empty() ? nullptr : &c;
}
