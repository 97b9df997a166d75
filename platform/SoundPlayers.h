#pragma once

#include <QString>

#include <cstdint>
#include <functional>

// The simple player of wave files.
class WavePlayer
{
public:
    virtual ~WavePlayer() = default;
    // What a binding must provide.
    // Plays the file; a synchronous play returns when the sound has ended (or failed).
    virtual bool Play(const QString &fileName, bool synchronous) = 0;
    // Stops the sound being played, if any.
    virtual void Stop() = 0;
};

// The media player that plays MP3 files.
class MediaPlayer
{
public:
    virtual ~MediaPlayer() = default;
    // What a binding must provide.
    virtual void Close() = 0;
    // Sets the file name and opens it.
    virtual bool Open(const QString &fileName) = 0;
    // Plays the open file; with wait it returns when the file has ended (or failed).
    virtual bool Play(bool wait) = 0;
};

// A stream of 16-bit mono samples to the sound device; safe to call from any thread.
class PcmOutput
{
public:
    virtual ~PcmOutput() = default;
    // What a binding must provide.
    // Whether anything can be heard (a sound server with an output exists).
    virtual bool Audible() const = 0;
    // Opens the stream at the sample rate. A stream that is still being heard goes
    // on: what it holds is heard first, and what is written now follows it.
    virtual void Begin(int sampleRate) = 0;
    // Queues samples; returns false once the stream was flushed (stop rendering). May
    // hold the caller while much sound waits to be heard.
    virtual bool Write(const int16_t *samples, int count) = 0;
    // No more samples for now: the stream ends once what is queued has been heard.
    virtual void End() = 0;
    // Drops what is queued and silences the device at once.
    virtual void Flush() = 0;
    // Waits until the stream has ended or been flushed, at most timeoutMs; true when it has.
    virtual bool WaitFinished(int timeoutMs) = 0;

    // What a binding may provide.
    // Calls heard (on any thread) once the sound is heard up to the sample that lies
    // samplesAhead after the last one written (negative: before it). Flushed sound is
    // never heard; a stream that ends is heard whole. A binding that cannot tell calls
    // it at once.
    virtual void Mark(int samplesAhead, std::function<void()> heard)
    {
        (void)samplesAhead;
        heard();
    }
};
