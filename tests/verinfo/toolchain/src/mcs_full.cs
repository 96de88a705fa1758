using System.Reflection;
[assembly: AssemblyTitle("Title Ω")]
[assembly: AssemblyDescription("Description 日本語")]
[assembly: AssemblyCompany("Компания")]
[assembly: AssemblyProduct("Product 🙂")]
[assembly: AssemblyCopyright("Copyright © 2026")]
[assembly: AssemblyTrademark("Trademark™")]
[assembly: AssemblyVersion("1.2.3.4")]
[assembly: AssemblyFileVersion("5.6.7.8")]
[assembly: AssemblyInformationalVersion("9.10-beta+abc")]
public class Fixture {}
