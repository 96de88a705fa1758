using System.Reflection;
[assembly: AssemblyVersion("3.1.4.1")]
public class Fixture {}
