#include "app/FontListLoader.h"

#include <QFontDatabase>
#include <QStringList>

#include <fontconfig/fontconfig.h>

FontListLoader::FontListLoader()
    : m_thread([this] {
          FcInit();
          m_go.acquire();
          // The font database may be used from any thread once the
          // application exists; its first use lists the installed fonts.
          if (m_buildList)
              QFontDatabase::families();
      })
{
}

FontListLoader::~FontListLoader()
{
    release(false);
    wait();
}

void FontListLoader::applicationReady()
{
    release(true);
}

void FontListLoader::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

void FontListLoader::release(bool buildList)
{
    if (m_released)
        return;
    m_released = true;
    m_buildList = buildList;
    m_go.release();
}
