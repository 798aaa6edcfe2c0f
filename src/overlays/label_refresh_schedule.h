#pragma once

namespace tarnwick {

// How often the label overlay polls, and when it next reads Mission Control's geometry and next
// recognises the native captions. Times are system uptime in seconds, passed in; nothing here
// reads a clock.
struct LabelRefreshSchedule {
    static constexpr double idleInterval = 0.15;    // poll while closed or nothing is wanted
    static constexpr double activeInterval = 0.05;  // poll while Mission Control is open
    static constexpr double geometryInterval = 0.1;  // least spacing of geometry reads
    static constexpr double settledRecognitionDelay = 0.45;  // recognition spacing once settled
    static constexpr double placementLifetime = 1.2;  // how long a placed label lasts unplaced

    bool isVisible = false;
    double nextGeometry;
    double nextRecognition;
    int settledPasses = 0;  // 0...2 consecutive recognitions that confirmed every label

    // Not visible (or as given), everything due at once.
    explicit LabelRefreshSchedule(bool visible = false);

    double pollingInterval() const { return isVisible ? activeInterval : idleInterval; }
    void reset();
    // Returns whether the visibility changed; a change makes recognition due now and geometry
    // due at once.
    bool setVisible(bool visible, double now);
    void geometryChanged(double now);
    bool geometryIsDue(double now) const;
    bool recognitionIsDue(double now) const;
    void didReadGeometry(double now);
    // Recognitions run back to back until two in a row confirmed every expected label, then
    // every settledRecognitionDelay seconds.
    void recognitionFinished(double now, int confirmedLabels, int expectedLabels);
};

}  // namespace tarnwick
